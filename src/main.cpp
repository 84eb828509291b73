#include <QApplication>
#include <QDialog>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QDialog board;
    board.setWindowTitle(QString::fromUtf8("イメージ分類"));
    board.resize(640, 480);
    return board.exec() == QDialog::Accepted ? 0 : 0;
}
