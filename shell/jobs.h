#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "common/stop_token.h"
#include "engine/model_state.h"
#include "engine/run_events.h"
#include "project/project_settings.h"

class QThread;
class QTimer;
class Session;

namespace rivulon::ui {

// How a job ended.
struct JobEnd {
    bool ok = false;
    bool cancelled = false;
    QString error;  // the failure's text, empty when ok or cancelled
};

// What a job's results are to the session. A run's results are the
// project's: while one runs, the commands that choose another project are
// off. A batch or a calibration works on a copy of its own from start to end.
enum class JobUse { Session, OwnCopy };

// What a job leaves to the session when it ends, filled by its work on the
// worker thread. It starts as a copy of the session's settings and model
// state, so that a run can work on it directly.
struct JobResult {
    rivulon::ProjectSettings settings;
    rivulon::ModelState state;
    bool leaves = false;  // settings and state are to be handed over
    bool ran = false;     // state holds the tables of a finished run
};

// What the session took of a job's result (Session::takeJobResult).
struct HandOver {
    bool settings = false;  // the job's project settings and model state
    bool options = false;   // the job's options (not those the user chose meanwhile)
};

// One piece of long work in flight: its own progress and end, one stop token
// read by the work (the engine between days, a batch before each row, a
// calibration between its batches), and the one hand-over of its result to
// the session before `finished` is announced.
class Job : public QObject {
    Q_OBJECT
  public:
    struct Context {
        rivulon::RunEventRecorder& recorder;  // progress; stops the engine between days
        const rivulon::StopToken& stop;
        JobResult& result;
    };
    // Runs on the worker thread; throws on failure (RunCancelled when stopped).
    using Work = std::function<void(Context& context)>;

    JobUse use() const { return use_; }
    bool running() const { return thread_ != nullptr; }
    // Asks the work to stop, through its token.
    void stop() { stop_.requestStop(); }
    // Blocks until the work has ended and its end was announced.
    void waitForEnd();
    // What the session took, once the job has ended.
    HandOver handedOver() const { return handOver_; }

  signals:
    // On the interface thread, in the order the work recorded them.
    void progress(const std::vector<rivulon::RunEvent>& events);
    void finished(const rivulon::ui::JobEnd& end);

  private:
    friend class Jobs;
    Job(Session& session, JobUse use, Work work, QObject* parent);
    ~Job() override;
    void begin();
    void drain();
    void threadEnded();

    Session& session_;
    JobUse use_;
    Work work_;
    QThread* thread_ = nullptr;
    QTimer* timer_;
    rivulon::StopToken stop_;
    rivulon::RunEventRecorder recorder_{&stop_};
    JobResult result_;
    rivulon::ProjectSettings settingsAtStart_;
    rivulon::RunOptions optionsAtStart_;
    JobEnd end_;
    HandOver handOver_;
};

// Starts jobs, one at a time: every job reads the one model state and the
// project's files, and the worker thread is the program's one.
class Jobs : public QObject {
    Q_OBJECT
  public:
    explicit Jobs(Session& session, QObject* parent = nullptr);
    ~Jobs() override;

    // nullptr (and nothing started) while another job is in flight.
    Job* start(JobUse use, Job::Work work);
    Job* current() const { return current_; }
    bool busy() const { return current_ != nullptr; }
    // A job whose results are the session's project is in flight.
    bool holdsSession() const { return current_ && current_->use() == JobUse::Session; }
    // Stops the job in flight and waits for its end (closing the program).
    void stopAndWait();
    void waitForEnd();

  signals:
    void jobStarted(rivulon::ui::Job* job);
    void jobEnded(rivulon::ui::Job* job);

  private:
    friend class Job;
    void ended(Job* job);

    Session& session_;
    QPointer<Job> current_;
};

}  // namespace rivulon::ui
