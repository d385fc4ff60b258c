// bare_tabs [TABS] [--tick]: a window of plain Qt 6 widgets shaped like the main window (a tab
// widget with TABS pages, default 7, a check box, OK and Cancel) and nothing else. Title "Bare Qt
// Tabs". With --tick, the first page's label is rewritten and repainted every second: the least a
// window that shows a live status must do, the reference for idle CPU.

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    int tabs = 7;
    bool tick = false;
    for (int i = 1; i < argc; ++i) {
        bool ok = true;
        if (std::strcmp(argv[i], "--tick") == 0)
            tick = true;
        else
            tabs = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || tabs < 1 || tabs > 64) {
            std::fprintf(stderr, "usage: bare_tabs [TABS 1..64] [--tick]\n");
            return 2;
        }
    }

    QWidget window;
    window.setWindowTitle("Bare Qt Tabs");
    auto* tabWidget = new QTabWidget(&window);
    QLabel* firstLabel = nullptr;
    for (int i = 1; i <= tabs; ++i) {
        auto* page = new QWidget;
        auto* layout = new QVBoxLayout(page);
        auto* label = new QLabel(QString("Page %1").arg(i), page);
        if (firstLabel == nullptr)
            firstLabel = label;
        layout->addWidget(label);
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
    QTimer ticker;
    int seconds = 0;
    if (tick) {
        // A fixed size: only the label repaints, the layout stays as it is.
        firstLabel->setText("Page 1: 00000 s");
        firstLabel->setFixedSize(firstLabel->sizeHint());
        QObject::connect(&ticker, &QTimer::timeout, firstLabel, [&] {
            seconds = (seconds + 1) % 100000;
            firstLabel->setText(QString("Page 1: %1 s").arg(seconds, 5, 10, QChar('0')));
        });
        ticker.start(1000);
    }
    window.show();
    return application.exec();
}
