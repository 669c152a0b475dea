#pragma once

#include <QObject>
#include <atomic>

#include "gridcontrol/tabulex_factory.h"

namespace tabulex {

class TabulexPlugin : public QObject, public TabulexFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TabulexFactory_iid FILE "tabulex.json")
    Q_INTERFACES(TabulexFactory)

  public:
    QStringList classNames() const override;
    QWidget* create(const QString& className, QWidget* parent) override;
    int liveControls() const override { return live_; }

  private:
    std::atomic<int> live_{0};
};

}  // namespace tabulex
