#include "quietaccessibility.h"

#include <QAccessibleObject>
#include <QSet>
#include <QWidget>

namespace {

class Placeholder;

// Whether a tool listens, as the activation observers last heard.
bool listening = false;

QSet<Placeholder *> &placeholders()
{
    static QSet<Placeholder *> all;
    return all;
}

class Placeholder : public QAccessibleObject
{
public:
    explicit Placeholder(QObject *object) : QAccessibleObject(object) { placeholders().insert(this); }
    ~Placeholder() override { placeholders().remove(this); }

    QAccessibleInterface *parent() const override { return nullptr; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text) const override { return QString(); }
    QAccessible::Role role() const override { return QAccessible::NoRole; }
    QAccessible::State state() const override { return QAccessible::State(); }
};

QAccessibleInterface *placeholderFor(const QString &, QObject *object)
{
    if (listening || !object || !object->isWidgetType())
        return nullptr;
    return new Placeholder(object);
}

class Listener : public QAccessible::ActivationObserver
{
public:
    void accessibilityActiveChanged(bool active) override
    {
        listening = active;
        if (!active)
            return;
        // The cache deletes each one, which takes it out of the set.
        const QList<Placeholder *> all = placeholders().values();
        for (Placeholder *p : all)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(p));
    }
};

} // namespace

void deferAccessibilityInterfaces()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    listening = QAccessible::isActive();
    QAccessible::installFactory(placeholderFor);
    static Listener listener;
    QAccessible::installActivationObserver(&listener);
}

void prepareAccessibility(QWidget &window)
{
    for (QWidget *widget : window.findChildren<QWidget *>())
        QAccessible::queryAccessibleInterface(widget);
}
