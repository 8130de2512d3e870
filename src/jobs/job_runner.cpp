// One job at a time on a worker thread.
#include "res/resource_ids.h"
#include "ui/main_dialog.h"

void CMainDialog::RunJob(JobBody body, bool cancellable) {
    // The previous worker has done its last act once m_busy is false; joining is immediate.
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_busy = true;
    m_worker = std::thread([this, body, cancellable] {
        if (cancellable) {
            m_window.Button(res::kCancelButton).Enable(true);
        }
        (this->*body)();
        if (cancellable) {
            m_window.Button(res::kCancelButton).Enable(false);
        }
        // Last act: from here on the worker touches nothing of the window.
        m_busy = false;
    });
}
