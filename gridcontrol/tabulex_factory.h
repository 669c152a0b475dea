#pragma once

#include <QString>
#include <QStringList>
#include <QtPlugin>

class QWidget;

// What the Tabulex plugin offers a host that loads it at run time. A host
// includes this header only; it never links the library. The controls it
// creates are driven through their meta-object: properties and methods by
// name, events as signals (Click(), DblClick(), RowColChange()).
class TabulexFactory {
  public:
    virtual ~TabulexFactory() = default;

    // The control classes the library makes, e.g. "GridEditable".
    virtual QStringList classNames() const = 0;
    // A new control of that class owned by parent, or nullptr for a class
    // the library does not make.
    virtual QWidget* create(const QString& className, QWidget* parent) = 0;
    // Controls made by this library that are still alive; the library must
    // stay loaded while there are any.
    virtual int liveControls() const = 0;
    bool canUnloadNow() const { return liveControls() == 0; }
};

#define TabulexFactory_iid "org.rivulon.TabulexFactory/1.0"
Q_DECLARE_INTERFACE(TabulexFactory, TabulexFactory_iid)
