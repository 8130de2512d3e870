// The upload job: local files and folder trees into the current remote folder, each file only
// when the server's copy is missing or not newer once its listing time is taken in the host's
// time zone. Mirroring runs the same job with m_job.mirroring set.
#include <cmath>
#include <ctime>
#include <optional>
#include <vector>

#include "platform/file_system.h"
#include "platform/local_time.h"
#include "res/file_types.h"
#include "res/resource_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/main_dialog.h"

namespace ui {

namespace {

constexpr std::int64_t kSecondsPerHour = 3600;

// An offset from UTC in whole hours, to the nearest hour (+05:30 counts as +6, -03:30 as -4).
std::int64_t WholeHours(std::int64_t seconds) {
    return static_cast<std::int64_t>(
        std::llround(static_cast<double>(seconds) / static_cast<double>(kSecondsPerHour)));
}

} // namespace

void CMainDialog::UploadJob() {
    bool incomplete = false;
    bool changed = false;
    m_engine.ResetTransferCount();
    m_engine.ResetDeletedCount();
    m_treeBounds.Reset(); // mirroring deletes remote trees
    ResetProgress();
    m_window.Combo(res::kRemotePathCombo).Enable(false);
    m_window.Tab(res::kHostTab).Enable(false);
    // The pane's listing as the job found it; nothing below replaces it before the refresh.
    const ftp::ListingIndex listing = m_remoteEntries.Index();
    const ui::JobInputs& job = m_job;

    if (job.mirroring) {
        changed = MirrorDeleteExtras(job.localBase, job.remoteBase, listing);
    }
    // The selected files are known at once; a folder's files once it is read.
    StartJobProgress();
    OpenTransferPool(res::kTextCancelUpload);
    for (int i = 0; i < job.Count(); ++i) {
        platform::FileStatus status;
        if (job.kinds[static_cast<std::size_t>(i)] != res::kImageFolder) {
            const bool found =
                platform::GetFileStatus(job.localBase + job.items[static_cast<std::size_t>(i)],
                                        status) &&
                status.kind == platform::EntryKind::File;
            m_jobProgress.AddFile(found ? status.size : -1);
        }
    }
    bool cancelled = StopRequested();
    for (int i = 0; i < job.Count() && !cancelled && !m_engine.ConnectionLost(); ++i) {
        const std::string& name = job.items[static_cast<std::size_t>(i)];
        if (job.kinds[static_cast<std::size_t>(i)] != res::kImageFolder) {
            const std::string path = job.localBase + name;
            platform::FileStatus status;
            const bool found = platform::GetFileStatus(path, status);
            // FIFOs, sockets and devices are never sent: reading one could wait for ever.
            const bool system = found && status.kind == platform::EntryKind::System;
            if (!system && NeedsUpload(found ? std::optional(status.modified) : std::nullopt, name,
                                       listing, m_remoteFolder, job.remoteBase + name)) {
                if (MoveFile(StoreTask(path, job.remoteBase + name, found ? status.size : -1))) {
                    changed = true;
                } else {
                    incomplete = true;
                }
            }
            FileThrough(found ? status.size : -1);
        } else {
            const int result = UploadFolder(name, incomplete);
            incomplete = incomplete || result == 0;
            changed = changed || result == 2;
        }
        cancelled = StopRequested();
    }
    CloseTransferPool(incomplete);
    if (cancelled && !m_engine.ConnectionLost()) {
        AppendLog(res::LoadString(res::kTextCancellationAccepted));
    }

    FinishJobProgress();
    m_job.FreeItems();
    m_window.Combo(res::kRemotePathCombo).Enable(true);
    m_window.Tab(res::kHostTab).Enable(true);
    if (m_engine.ConnectionLost()) {
        return; // the log already ends with "Disconnected."
    }
    if (changed) {
        RefreshRemoteList(true, false);
        if (m_engine.ConnectionLost()) {
            return;
        }
    }
    ResetProgress();
    if (m_cancelRequested) {
        m_cancelRequested = false;
        AppendLog(res::LoadString(res::kTextTransferCanceled));
    } else if (incomplete) {
        AppendLog(res::LoadString(res::kTextUploadIncomplete));
    } else {
        AppendLog(res::LoadString(m_job.mirroring ? res::kTextMirroringCompleted
                                                  : res::kTextUploadCompleted));
    }
    if (JobTransferCount() != 0) {
        LogValueAndText(settings::FormatDecimal(JobTransferCount()), res::kTextFilesUploaded);
    }
    if (m_engine.DeletedCount() != 0) {
        LogValueAndText(settings::FormatDecimal(m_engine.DeletedCount()), res::kTextFilesDeleted);
    }
}

int CMainDialog::UploadFolder(const std::string& name, bool& incomplete) {
    const std::string& base = m_job.localBase;
    std::string current = base + name;
    int result = 1;
    std::vector<std::string> pending;
    std::vector<platform::FolderEntry> entries;
    for (;;) {
        // The path below the job's base names the remote folder too, level by level.
        const std::string relative = current.substr(base.size());
        if (!platform::ReadFolder(current, entries)) {
            ShowMessage(res::LoadString(res::kTextCannotFind) + relative, win::Buttons::Ok,
                        win::Icon::Warning);
            return 0;
        }
        // Relative to the server's working folder, the current remote folder. A folder that
        // exists already refuses; that is no error.
        if (m_engine.FtpMakeFolder(relative)) {
            result = 2;
        }
        if (m_engine.ConnectionLost()) {
            return 0;
        }
        const std::string remote = m_job.remoteBase + relative;
        // A failed listing leaves no lines: every file then counts as missing on the server.
        std::string text;
        m_engine.FtpListFolder(text, remote, true);
        if (m_engine.ConnectionLost()) {
            return 0;
        }
        const ftp::ListingIndex listing(std::move(text));
        if (m_job.mirroring) {
            MirrorDeleteExtras(current, remote, listing);
            // A Cancel to one of its questions stores nothing more, not even this folder's
            // first file.
            if (m_engine.ConnectionLost() || StopRequested()) {
                return 0;
            }
        }
        for (const platform::FolderEntry& entry : entries) {
            if (entry.kind == platform::EntryKind::File) {
                m_jobProgress.AddFile(entry.size);
            }
        }
        for (const platform::FolderEntry& entry : entries) {
            const std::string path = current + "/" + entry.name;
            if (entry.kind == platform::EntryKind::Folder) {
                // A link to a folder is not followed: one to a parent would never end.
                if (!entry.link) {
                    if (!QueueTreeFolder(pending, path)) {
                        return 0;
                    }
                }
            } else if (entry.kind == platform::EntryKind::File) {
                // A link to a file sends the file's contents under the link's name.
                // The folder's read has the time already: no second look per file.
                const auto modified =
                    entry.modifiedRead ? std::optional(entry.modified) : std::nullopt;
                const std::string remotePath = remote + "/" + entry.name;
                if (NeedsUpload(modified, entry.name, listing, remote, remotePath) &&
                    !MoveFile(StoreTask(path, remotePath, entry.size))) {
                    incomplete = true;
                }
                FileThrough(entry.size);
                if (m_engine.ConnectionLost()) {
                    return 0;
                }
            }
            if (StopRequested()) {
                return 0;
            }
        }
        m_engine.Cache().Invalidate(remote);
        if (pending.empty()) {
            return result;
        }
        current = std::move(pending.back());
        pending.pop_back();
    }
}

void CMainDialog::KeepUploadTime(ftp::FtpClient& engine, const std::string& localPath,
                                 const std::string& remotePath) {
    platform::FileStatus status;
    if (m_options.m_keepFileTimes != 0 && platform::GetFileStatus(localPath, status)) {
        engine.FtpSetModificationTime(remotePath, status.modified);
    }
}

ui::PoolTask CMainDialog::StoreTask(const std::string& localPath, const std::string& remotePath,
                                    std::int64_t size) {
    ui::PoolTask task;
    task.size = size;
    task.move = [this, localPath, remotePath,
                 type = AsciiTypeFor(remotePath)](ftp::FtpClient& engine, int lane) {
        m_jobProgress.BeginFile(0, lane);
        if (!engine.FtpStore(localPath, remotePath, type)) {
            return false;
        }
        KeepUploadTime(engine, localPath, remotePath);
        return true;
    };
    return task;
}

bool CMainDialog::NeedsUpload(std::optional<std::int64_t> localModified, const std::string& name,
                              const ftp::ListingIndex& listing, const std::string& folder,
                              const std::string& remotePath) {
    if (m_job.overwrite || !localModified) {
        return true;
    }
    if (listing.FindLine(name) < 0) {
        return true; // not on the server
    }
    // Where the server tells its times exactly, or with its offset from UTC, they decide: a
    // file goes only when it is newer than the server's copy, whatever zone anyone is in.
    ui::RemoteFileTime remote = RemoteTimeOf(folder, name, listing);
    if (remote.source != ui::RemoteFileTime::Source::Zone) {
        return CompareWithRemote(*localModified, remote, remotePath) > 0;
    }
    const std::int64_t now = m_clock ? m_clock() : static_cast<std::int64_t>(std::time(nullptr));
    std::tm today{};
    platform::LocalFields(now, today);
    const std::int64_t remoteTime = listing.Time(name, -1, &today);
    // 1973 is what the listing answers for a name it lacks and for a year after 2030.
    platform::LocalDateTime remoteDate;
    if (platform::ToLocalDateTime(remoteTime, remoteDate) && remoteDate.year == 1973) {
        return true;
    }
    const int zone = m_job.timeZoneIndex;
    const std::int64_t serverHours = zone == 0 ? 9 : zone - 13;
    const std::int64_t localHours =
        WholeHours(m_localUtcOffset ? m_localUtcOffset(now) : platform::LocalUtcOffset(now));
    // The listing's minute starts a second early; the second back makes a file written in
    // that very minute count as not older.
    const std::int64_t adjusted = remoteTime + 1 - (serverHours - localHours) * kSecondsPerHour;
    return *localModified >= adjusted;
}

} // namespace ui
