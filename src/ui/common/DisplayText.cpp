#include "ui/common/DisplayText.h"

#include <QByteArrayView>
#include <QStringDecoder>

namespace gleanwork {

QString ToDisplayText(std::string_view stored) {
    const QByteArrayView bytes(stored.data(), static_cast<qsizetype>(stored.size()));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return QString::fromLatin1(bytes);
    }
    return text;
}

std::string ToStoredText(const QString& shown, const std::string& stored) {
    if (shown == ToDisplayText(stored)) {
        return stored;
    }
    return shown.toUtf8().toStdString();
}

}  // namespace gleanwork
