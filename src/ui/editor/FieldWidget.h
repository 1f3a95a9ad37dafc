#pragma once

#include <QWidget>
#include <string>

namespace gleanwork {

// A control of several parts that edits one text field of an agent (a
// schedule, a set of events, a count). It shows a stored text in its own
// terms and gives back the text its parts say now. While the parts still
// say what they said on loading, the stored text comes back as it was, so
// a visit changes nothing: neither a form the control would write
// differently nor a value it cannot show.
class FieldWidget : public QWidget {
public:
    using QWidget::QWidget;

    void Load(const std::string& stored);
    std::string Saved() const;

protected:
    // Shows `stored` in the parts.
    virtual void Show(const std::string& stored) = 0;
    // The text that the parts say now.
    virtual std::string Current() const = 0;

private:
    std::string loaded_;
    std::string shownLoaded_;  // Current() right after loading
};

}  // namespace gleanwork
