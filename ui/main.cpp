#include <QApplication>
#include <QDialog>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog window;
    window.setWindowTitle(QStringLiteral("Orvan's Drums for Windows"));
    window.resize(480, 380);
    window.exec();
    return 0;
}
