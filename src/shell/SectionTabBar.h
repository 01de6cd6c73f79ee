#pragma once

#include <QTabBar>

// The tab row over the Library and Search pages. A screen reader hears it under its own name
// ("Library and search") and each tab under its caption; Qt's own tab bar would name the whole
// row after the tab that is current.
class SectionTabBar : public QTabBar {
    Q_OBJECT

public:
    explicit SectionTabBar(QWidget* parent = nullptr);
};
