// One job at a time on a worker thread.
#include "local/folder_tree.h"
#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"

namespace ui {

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

bool CMainDialog::ListTreeFolder(const std::string& folder, const std::string& top, bool allEntries,
                                 ftp::ListingIndex& listing, int& lines) {
    if (!WithinTreeBounds(folder, ui::TreeWalkBounds::Depth(folder.substr(top.size())))) {
        return false;
    }
    std::string text;
    lines = m_engine.FtpListFolder(text, folder, true, allEntries);
    if (m_engine.ConnectionLost() || lines == -1) {
        return false;
    }
    if (lines > ftp::kMaxListingLines) {
        ShowMessage(res::LoadString(res::kTextTooManyEntries), win::Buttons::Ok,
                    win::Icon::Warning);
        return false;
    }
    listing = ftp::ListingIndex(std::move(text));
    return true;
}

bool CMainDialog::QueueTreeFolder(std::vector<std::string>& folders, std::string folder) {
    if (folders.size() >= local::kMaxPendingFolders) {
        ShowMessage(res::LoadString(res::kTextTooManyFolders), win::Buttons::Ok,
                    win::Icon::Warning);
        return false;
    }
    folders.push_back(std::move(folder));
    return true;
}

} // namespace ui
