// bare_tabs [TABS]: a window of plain Qt 6 widgets shaped like the main window (a tab widget
// with TABS pages, default 7, a check box, OK and Cancel) and nothing else. Title "Bare Qt Tabs".

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    int tabs = 7;
    if (argc > 1) {
        bool ok = false;
        tabs = QString::fromLocal8Bit(argv[1]).toInt(&ok);
        if (!ok || tabs < 1 || tabs > 64) {
            std::fprintf(stderr, "usage: bare_tabs [TABS 1..64]\n");
            return 2;
        }
    }

    QWidget window;
    window.setWindowTitle("Bare Qt Tabs");
    auto* tabWidget = new QTabWidget(&window);
    for (int i = 1; i <= tabs; ++i) {
        auto* page = new QWidget;
        auto* layout = new QVBoxLayout(page);
        layout->addWidget(new QLabel(QString("Page %1").arg(i), page));
        layout->addStretch();
        tabWidget->addTab(page, QString("Page %1").arg(i));
    }
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QCheckBox("Radio Off  ( Alt+F2 )", &window));
    bottom->addStretch();
    bottom->addWidget(new QPushButton("&OK", &window));
    bottom->addWidget(new QPushButton("&Cancel", &window));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(tabWidget);
    layout->addLayout(bottom);
    window.show();
    return application.exec();
}
