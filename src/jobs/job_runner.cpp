// One job at a time on a worker thread.
#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
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
        // A cancel that came too late for this job is not left for the next one.
        m_cancelRequested = false;
        // Last act: from here on the worker touches nothing of the window.
        m_busy = false;
    });
}

bool CMainDialog::WithinTreeBounds(const std::string& path, int depth) {
    int text = 0;
    if (depth > ui::TreeWalkBounds::kMaxDepth) {
        text = res::kTextTreeTooDeep;
    } else if (!m_treeBounds.CountListing()) {
        text = res::kTextTooManyListings;
    }
    if (text != 0) {
        ShowMessage(res::LoadString(text) + path, win::Buttons::Ok, win::Icon::Warning);
        return false;
    }
    return true;
}
