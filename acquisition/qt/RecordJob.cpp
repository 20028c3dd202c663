#include "acquisition/qt/RecordJob.h"

#include <atomic>

#include "base/Progress.h"
#include "common/qt/Translate.h"
#include "common/qt/WaitDialogs.h"
#include "state/Worker.h"

void runRecordJob(QWidget* parent, std::size_t bytes, std::string_view waitText,
                  std::string_view cancelCaption,
                  const std::function<void(const JobControl&)>& job) {
    Progress progress;
    std::atomic<int> stop{0};
    const JobControl control{&progress, &stop};
    Worker worker;
    // A thread that cannot be started leaves the job to this one: slow, but done.
    if (bytes <= kRecordJobInPlaceBytes || !worker.start([&] { job(control); })) {
        job(JobControl{});
        return;
    }
    CWaitDlgBase wait(
        trCore(waitText), trCore(cancelCaption), {}, [&] { stop = 1; }, &worker, parent);
    wait.setObjectName("recordJobWaitDlg");
    wait.followProgress(&progress);
    wait.exec();
    worker.join();
}
