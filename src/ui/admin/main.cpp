#include <QApplication>

#include "net/SocketLibrary.h"
#include "ui/admin/Startup.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    return gleanwork::RunGleanwork(gleanwork::StartSocketLibrary);
}
