#include "shell/run_controller.h"

#include <QThread>
#include <QTimer>
#include <exception>

namespace rivulon::ui {

RunController::RunController(QObject* parent) : QObject(parent), timer_(new QTimer(this)) {
    timer_->setInterval(16);
    connect(timer_, &QTimer::timeout, this, &RunController::drain);
}

RunController::~RunController() {
    if (thread_) {
        cancel();
        thread_->wait();
        delete thread_;
    }
}

bool RunController::start(Job job) {
    if (thread_) {
        return false;
    }
    stop_ = std::make_unique<rivulon::StopToken>();
    recorder_ = std::make_unique<rivulon::RunEventRecorder>(stop_.get());
    end_ = {};
    rivulon::RunEventRecorder* recorder = recorder_.get();
    RunEnd* end = &end_;
    thread_ = QThread::create([job = std::move(job), recorder, end] {
        try {
            job(*recorder);
            end->ok = true;
        } catch (const rivulon::RunCancelled&) {
            end->cancelled = true;
        } catch (const std::exception& e) {
            end->error = QString::fromStdString(e.what());
        } catch (...) {
            end->error = QStringLiteral("Unknown error.");
        }
    });
    connect(thread_, &QThread::finished, this, &RunController::threadEnded, Qt::QueuedConnection);
    emit started();
    timer_->start();
    thread_->start();
    return true;
}

void RunController::cancel() {
    if (stop_) {
        stop_->requestStop();
    }
}

void RunController::drain() {
    if (!recorder_) {
        return;
    }
    std::vector<rivulon::RunEvent> events = recorder_->take();
    if (!events.empty()) {
        emit progress(events);
    }
}

void RunController::threadEnded() {
    if (!thread_) {
        return;
    }
    thread_->wait();
    timer_->stop();
    drain();
    delete thread_;
    thread_ = nullptr;
    const RunEnd end = end_;
    recorder_.reset();
    stop_.reset();
    emit finished(end);
}

void RunController::waitForEnd() {
    if (thread_) {
        thread_->wait();
        threadEnded();
    }
}

}  // namespace rivulon::ui
