#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "engine/run_events.h"

class QThread;
class QTimer;

namespace rivulon::ui {

// How a piece of long work ended.
struct RunEnd {
    bool ok = false;
    bool cancelled = false;
    QString error;  // the failure's text, empty when ok or cancelled
};

// Runs long work (a project run, batch rows, a calibration) on a worker
// thread, one piece at a time. The work reports through the recorder it is
// given; the controller hands the recorded events to the interface thread in
// batches (about every 16 ms) and says when the work ended. Cancel sets the
// stop token, which the recorder checks between days.
class RunController : public QObject {
    Q_OBJECT
  public:
    // Runs on the worker thread; throws on failure (RunCancelled when stopped).
    using Job = std::function<void(rivulon::RunEventRecorder& recorder)>;

    explicit RunController(QObject* parent = nullptr);
    ~RunController() override;

    // False (and nothing started) while another piece of work is in flight.
    bool start(Job job);
    void cancel();
    bool busy() const { return thread_ != nullptr; }
    // Blocks until the work in flight has ended and its end was announced.
    void waitForEnd();

  signals:
    void started();
    // On the interface thread, in the order the work recorded them.
    void progress(const std::vector<rivulon::RunEvent>& events);
    void finished(const rivulon::ui::RunEnd& end);

  private:
    void drain();
    void threadEnded();

    QThread* thread_ = nullptr;
    QTimer* timer_;
    std::unique_ptr<rivulon::StopToken> stop_;
    std::unique_ptr<rivulon::RunEventRecorder> recorder_;
    RunEnd end_;
};

}  // namespace rivulon::ui
