// State of the three list controls of the main window; their messages reach CMainDialog.
#pragma once

namespace ui {

struct CHostList {
    int m_connectedRow = 0; // row from which the last connect or disconnect was started
};

struct CLocalFileList {
    bool m_driveList = false; // the pane shows drives instead of a folder
    bool m_dragging = false;
};

struct CRemoteFileList {
    bool m_dragging = false;
};

} // namespace ui
