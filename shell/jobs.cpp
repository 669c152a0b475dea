#include "shell/jobs.h"

#include <QThread>
#include <QTimer>
#include <exception>

#include "shell/session.h"

namespace rivulon::ui {

Job::Job(Session& session, JobUse use, Work work, QObject* parent)
    : QObject(parent),
      session_(session),
      use_(use),
      work_(std::move(work)),
      timer_(new QTimer(this)) {
    // The work takes copies: windows may change options while it goes, and
    // the hand-over tells the user's changes from the job's.
    result_.settings = session.settings;
    result_.state = session.state;
    settingsAtStart_ = session.settings;
    optionsAtStart_ = session.state.options;
    // Events reach the interface thread in batches, about every 16 ms.
    timer_->setInterval(16);
    connect(timer_, &QTimer::timeout, this, &Job::drain);
}

Job::~Job() {
    if (thread_) {
        stop();
        thread_->wait();
        delete thread_;
    }
}

void Job::begin() {
    thread_ = QThread::create([this] {
        Context context{recorder_, stop_, result_};
        try {
            work_(context);
            end_.ok = true;
        } catch (const rivulon::RunCancelled&) {
            end_.cancelled = true;
        } catch (const std::exception& e) {
            end_.error = QString::fromStdString(e.what());
        } catch (...) {
            end_.error = QStringLiteral("Unknown error.");
        }
    });
    connect(thread_, &QThread::finished, this, &Job::threadEnded, Qt::QueuedConnection);
    timer_->start();
    thread_->start();
}

void Job::drain() {
    std::vector<rivulon::RunEvent> events = recorder_.take();
    if (!events.empty()) {
        emit progress(events);
    }
}

void Job::threadEnded() {
    if (!thread_) {
        return;
    }
    thread_->wait();
    timer_->stop();
    drain();
    delete thread_;
    thread_ = nullptr;
    handOver_ = session_.takeJobResult(std::move(result_), settingsAtStart_, optionsAtStart_);
    if (auto* jobs = qobject_cast<Jobs*>(parent())) {
        jobs->ended(this);
    }
    emit finished(end_);
    deleteLater();
}

void Job::waitForEnd() {
    if (thread_) {
        thread_->wait();
        threadEnded();
    }
}

Jobs::Jobs(Session& session, QObject* parent) : QObject(parent), session_(session) {}

Jobs::~Jobs() {
    // The job's thread is waited for as the job is deleted with this object;
    // nothing is handed over to a session that is going away.
    if (current_) {
        current_->stop();
    }
}

Job* Jobs::start(JobUse use, Job::Work work) {
    if (current_) {
        return nullptr;
    }
    auto* job = new Job(session_, use, std::move(work), this);
    current_ = job;
    job->begin();
    session_.setRunning(true);
    emit jobStarted(job);
    return job;
}

void Jobs::ended(Job* job) {
    if (current_ == job) {
        current_ = nullptr;
    }
    session_.setRunning(false);
    emit jobEnded(job);
}

void Jobs::waitForEnd() {
    if (current_) {
        current_->waitForEnd();
    }
}

void Jobs::stopAndWait() {
    if (current_) {
        current_->stop();
        current_->waitForEnd();
    }
}

}  // namespace rivulon::ui
