#include "app/Startup.h"
#include "app/TfRek.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Database, user name and password; without them the program ends without a word.
    QStringList plain;
    for (int i = 0; i < argc; ++i)
        plain << QString::fromLocal8Bit(argv[i]);
    if (!rek2::Startup::arguments(plain))
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("rek2"));
    rek2::TfRek window(QApplication::arguments());
    window.show();
    return app.exec();
}
