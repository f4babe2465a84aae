// The smallest Qt Widgets program that shows a window and grabs its first frame.
#include <QApplication>
#include <QLabel>
#include <QPixmap>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("LED Sign Programmer"));
    label.show();
    QCoreApplication::processEvents();
    return label.grab().save(QString::fromLocal8Bit(argv[argc - 1]), nullptr, 80) ? 0 : 1;
}
