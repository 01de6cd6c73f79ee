#include "SectionTabBar.h"

#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QPointer>

#include <vector>

namespace {

// One tab of the row: not a widget of its own, so it has an interface of its own.
class AccessibleTab : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    AccessibleTab(QTabBar* bar, int index) : m_bar(bar), m_index(index) {}

    bool isValid() const override { return m_bar && m_index < m_bar->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_bar ? m_bar->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_bar.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text kind) const override {
        if (!isValid())
            return {};
        if (kind == QAccessible::Name)
            return m_bar->tabText(m_index).remove(QLatin1Char('&'));
        if (kind == QAccessible::Description)
            return m_bar->tabToolTip(m_index);
        return {};
    }
    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect local = m_bar->tabRect(m_index);
        return QRect(m_bar->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid())
            return s;
        s.focusable = true;
        s.selectable = true;
        s.selected = m_bar->currentIndex() == m_index;
        s.focused = s.selected && m_bar->hasFocus();
        s.invisible = !m_bar->isVisible();
        s.disabled = !m_bar->isTabEnabled(m_index);
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (isValid() && action == pressAction())
            m_bar->setCurrentIndex(m_index);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QTabBar> m_bar;
    int m_index;
};

class AccessibleTabRow : public QAccessibleWidget {
public:
    explicit AccessibleTabRow(QTabBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~AccessibleTabRow() override {
        for (QAccessible::Id id : m_tabs)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return bar()->count(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        while (m_tabs.size() <= static_cast<std::size_t>(index))
            m_tabs.push_back(QAccessible::registerAccessibleInterface(
                new AccessibleTab(bar(), static_cast<int>(m_tabs.size()))));
        return QAccessible::accessibleInterface(m_tabs[static_cast<std::size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (std::size_t i = 0; i < m_tabs.size(); ++i)
            if (QAccessible::accessibleInterface(m_tabs[i]) == child)
                return static_cast<int>(i);
        return -1;
    }
    QAccessibleInterface* focusChild() const override {
        return bar()->hasFocus() ? child(bar()->currentIndex()) : nullptr;
    }

private:
    QTabBar* bar() const { return static_cast<QTabBar*>(widget()); }

    mutable std::vector<QAccessible::Id> m_tabs; // owned by Qt's cache once registered
};

// Qt's accessibility cache owns the interfaces a factory makes.
QAccessibleInterface* accessibleFor(const QString& className, QObject* object) {
    if (className == QLatin1String("SectionTabBar"))
        if (auto* bar = qobject_cast<SectionTabBar*>(object))
            return new AccessibleTabRow(bar);
    return nullptr;
}

} // namespace

SectionTabBar::SectionTabBar(QWidget* parent) : QTabBar(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFor);
        return true;
    }();
    Q_UNUSED(installed);
}
