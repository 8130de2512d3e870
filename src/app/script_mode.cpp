#include "app/script_mode.h"

#include <csignal>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "settings/settings_store.h"
#include "platform/window/headless/headless_window.h"
#include "res/resource_ids.h"
#include "res/templates.h"
#include "ui/main_dialog.h"

namespace {

using headless::HeadlessDialog;
using headless::HeadlessMainWindow;
using headless::HeadlessWindowBase;

// Words split at spaces; a word in double quotes may hold spaces.
bool SplitWords(const std::string& line, std::vector<std::string>& words) {
    words.clear();
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        if (i >= line.size()) {
            break;
        }
        std::string word;
        if (line[i] == '"') {
            std::size_t close = line.find('"', i + 1);
            if (close == std::string::npos) {
                return false;
            }
            word = line.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
                word += line[i++];
            }
        }
        words.push_back(word);
    }
    return true;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

const char* IconName(win::Icon icon) {
    switch (icon) {
    case win::Icon::Warning:
        return "warning";
    case win::Icon::Question:
        return "question";
    case win::Icon::Error:
        return "error";
    case win::Icon::Information:
        return "information";
    }
    return "warning";
}

const char* ButtonsName(win::Buttons buttons) {
    switch (buttons) {
    case win::Buttons::Ok:
        return "ok";
    case win::Buttons::YesNo:
        return "yesno";
    case win::Buttons::YesNoCancel:
        return "yesnocancel";
    }
    return "ok";
}

const char* AnswerName(int answer) {
    switch (answer) {
    case win::kAnswerYes:
        return "yes";
    case win::kAnswerNo:
        return "no";
    case win::kAnswerCancel:
        return "cancel";
    default:
        return "ok";
    }
}

bool ParseInt(const std::string& word, int& value) {
    try {
        std::size_t used = 0;
        value = std::stoi(word, &used);
        return used == word.size();
    } catch (...) {
        return false;
    }
}

class ScriptRunner {
public:
    ScriptRunner(std::istream& script, std::ostream& out, std::ostream& err,
                 const std::string& settingsPath, bool answerYes)
        : m_script(script), m_out(out), m_err(err), m_store(settingsPath),
          m_dialog(m_window, m_store) {
        m_window.SetDefaultAnswer(answerYes ? win::kAnswerYes : win::kAnswerNo);
        m_window.SetLogObserver([this](const std::string& text) {
            std::lock_guard<std::mutex> lock(m_outMutex);
            m_out << text;
            m_out.flush();
        });
        m_window.SetBoxObserver([this](const headless::BoxRecord& box) {
            std::lock_guard<std::mutex> lock(m_outMutex);
            m_err << "box " << IconName(box.icon) << ' ' << ButtonsName(box.buttons) << ": "
                  << Escape(box.text) << " -> " << AnswerName(box.answer) << '\n';
            m_err.flush();
        });
        m_window.SetDefaultDialogDriver([this](HeadlessDialog& dialog) { RunLines(&dialog); });
        m_window.SetHandler(&m_dialog);
    }

    int Run() {
        m_dialog.Start();
        m_window.CentreIfNotMoved();
        RunLines(nullptr);
        m_window.Pump();
        if (!m_dialog.IsClosed() && !m_window.Destroyed()) {
            if (!m_dialog.CloseProcedure()) {
                // The user kept the window open while a job ran: let the job finish first.
                m_window.PumpUntil([this] { return !m_dialog.m_busy; });
            }
        }
        m_window.PumpUntil([this] { return !m_dialog.m_busy; });
        m_dialog.WaitForWorker();
        return m_failed ? 2 : 0;
    }

private:
    // Runs lines until the script ends, an error stops it, the window closes, or the dialog
    // (when given) has ended.
    void RunLines(HeadlessDialog* dialog) {
        std::string line;
        while (!m_failed && !m_stopped) {
            if (dialog != nullptr && dialog->Ended()) {
                return;
            }
            if (!std::getline(m_script, line)) {
                m_stopped = true;
                return;
            }
            ++m_lineNumber;
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            std::size_t first = line.find_first_not_of(" \t");
            if (first == std::string::npos || line[first] == '#') {
                continue;
            }
            std::vector<std::string> words;
            if (!SplitWords(line, words)) {
                Fail("unclosed quote");
                return;
            }
            HeadlessWindowBase& target =
                dialog != nullptr ? static_cast<HeadlessWindowBase&>(*dialog) : m_window;
            Execute(words, target, dialog);
            if (dialog == nullptr) {
                m_window.Pump();
                if (m_dialog.IsClosed()) {
                    m_stopped = true;
                }
            }
        }
    }

    void Fail(const std::string& what) {
        std::lock_guard<std::mutex> lock(m_outMutex);
        m_err << "script: line " << m_lineNumber << ": " << what << '\n';
        m_err.flush();
        m_failed = true;
    }

    bool NeedId(const std::vector<std::string>& w, int& id, std::size_t minWords) {
        if (w.size() < minWords || !ParseInt(w[1], id)) {
            Fail("expected: " + w[0] + " ID ...");
            return false;
        }
        return true;
    }

    bool HasControl(HeadlessWindowBase& target, int id) {
        if (id == res::kStatusBar || target.Has(id)) {
            return true;
        }
        Fail("no control " + std::to_string(id));
        return false;
    }

    static std::string Rest(const std::vector<std::string>& w, std::size_t from) {
        std::string text;
        for (std::size_t i = from; i < w.size(); ++i) {
            if (i > from) {
                text += ' ';
            }
            text += w[i];
        }
        return text;
    }

    void Execute(const std::vector<std::string>& w, HeadlessWindowBase& target,
                 HeadlessDialog* dialog) {
        const std::string& verb = w[0];
        int id = 0;
        if (verb == "type") {
            if (NeedId(w, id, 2) && HasControl(target, id)) {
                target.Type(id, Rest(w, 2));
            }
        } else if (verb == "click") {
            if (NeedId(w, id, 2) && HasControl(target, id)) {
                target.Click(id);
            }
        } else if (verb == "key-enter") {
            if (NeedId(w, id, 2) && HasControl(target, id)) {
                bool swallowed = target.KeyEnter(id);
                if (!swallowed && dialog != nullptr) {
                    target.Click(1); // Enter presses the default button
                }
            }
        } else if (verb == "tab") {
            if (NeedId(w, id, 2)) {
                target.SelectTab(id);
            }
        } else if (verb == "select") {
            if (NeedId(w, id, 2) && HasControl(target, id)) {
                std::vector<std::string> names(w.begin() + 2, w.end());
                if (!target.Select(id, names)) {
                    Fail("no such item in " + std::to_string(id));
                }
            }
        } else if (verb == "check") {
            if (NeedId(w, id, 3) && HasControl(target, id)) {
                if (w[2] != "on" && w[2] != "off") {
                    Fail("expected on or off");
                    return;
                }
                target.Check(id, w[2] == "on");
            }
        } else if (verb == "activate") {
            if (NeedId(w, id, 3) && HasControl(target, id) && !target.Activate(id, Rest(w, 2))) {
                Fail("no row " + Rest(w, 2));
            }
        } else if (verb == "menu") {
            int command = 0;
            if (!NeedId(w, id, 3) || !ParseInt(w[2], command)) {
                Fail("expected: menu ID COMMAND");
                return;
            }
            std::size_t before = m_window.Menus().size();
            m_window.QueueMenuChoice(command);
            m_window.RightClick(id);
            auto menus = m_window.Menus();
            if (menus.size() == before) {
                m_window.ClearMenuChoices(); // nothing took the choice: drop it
                Report("menu " + std::to_string(id) + ": no menu opened");
            } else if (menus.back().disabled.count(command)) {
                Report("menu " + std::to_string(id) + ": command " + std::to_string(command) +
                       " is disabled");
            }
        } else if (verb == "combo") {
            if (NeedId(w, id, 3) && HasControl(target, id) && !target.ChooseCombo(id, Rest(w, 2))) {
                Fail("no item " + Rest(w, 2) + " in " + std::to_string(id));
            }
        } else if (verb == "label") {
            if (NeedId(w, id, 3) && HasControl(target, id)) {
                if (w[2] == "--escape") {
                    target.EndLabel(id, "", true);
                } else {
                    target.EndLabel(id, Rest(w, 2), false);
                }
            }
        } else if (verb == "drag") {
            int to = 0;
            if (!NeedId(w, id, 3) || !ParseInt(w[2], to)) {
                Fail("expected: drag FROM TO");
                return;
            }
            m_window.DragAndRelease(id, to);
        } else if (verb == "drop") {
            m_window.DropFiles(res::kRemoteList, std::vector<std::string>(w.begin() + 1, w.end()));
        } else if (verb == "answer") {
            for (std::size_t i = 1; i < w.size(); ++i) {
                if (w[i] == "yes") {
                    m_window.QueueAnswer(win::kAnswerYes);
                } else if (w[i] == "no") {
                    m_window.QueueAnswer(win::kAnswerNo);
                } else if (w[i] == "cancel") {
                    m_window.QueueAnswer(win::kAnswerCancel);
                } else if (w[i] == "ok") {
                    m_window.QueueAnswer(win::kAnswerOk);
                } else {
                    Fail("unknown answer " + w[i]);
                    return;
                }
            }
        } else if (verb == "wait") {
            if (!m_window.PumpUntil([this] { return !m_dialog.m_busy; },
                                    std::chrono::minutes(10))) {
                Fail("the job did not end");
            }
            m_dialog.WaitForWorker();
            m_window.Pump();
        } else if (verb == "show") {
            if (NeedId(w, id, 2) && HasControl(target, id)) {
                Show(target, id);
            }
        } else if (verb == "close") {
            m_dialog.CloseProcedure();
        } else if (verb == "sleep") {
            int ms = 0;
            if (!NeedId(w, ms, 2)) {
                return;
            }
            auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
            m_window.PumpUntil([end] { return std::chrono::steady_clock::now() >= end; });
        } else {
            Fail("unknown gesture " + verb);
        }
    }

    void Report(const std::string& text) {
        std::lock_guard<std::mutex> lock(m_outMutex);
        m_err << text << '\n';
        m_err.flush();
    }

    void Show(HeadlessWindowBase& target, int id) {
        headless::Control& c = target.Get(id);
        std::ostringstream s;
        using K = res::ControlKind;
        switch (c.Kind()) {
        case K::ListView:
        case K::ListBox:
        case K::TabControl: {
            auto rows = c.Rows();
            for (std::size_t i = 0; i < rows.size(); ++i) {
                bool selected = c.Kind() == K::ListView ? (rows[i].state & win::kStateSelected) != 0
                                                        : static_cast<int>(i) == c.GetCurSel();
                s << (selected ? "[*] " : "[ ] ") << rows[i].image << ' ' << rows[i].text << '\n';
            }
            break;
        }
        case K::ComboBox:
        case K::ImageComboBox: {
            auto rows = c.Rows();
            for (std::size_t i = 0; i < rows.size(); ++i) {
                s << (static_cast<int>(i) == c.GetCurSel() ? "[*] " : "[ ] ");
                if (c.Kind() == K::ImageComboBox) {
                    s << rows[i].image << '/' << rows[i].selectedImage << " indent "
                      << rows[i].indent << ' ';
                }
                s << rows[i].text << '\n';
            }
            break;
        }
        case K::PushButton:
        case K::DefaultButton:
        case K::IconButton:
            s << (c.IsEnabled() ? "enabled" : "disabled");
            if (c.Kind() == K::IconButton) {
                s << " icon " << c.GetIcon();
            }
            s << '\n';
            break;
        case K::CheckBox:
            s << (c.IsChecked() ? "on" : "off") << (c.IsEnabled() ? "" : " disabled") << '\n';
            break;
        case K::ProgressBar:
            s << c.GetPos() << " of " << c.GetRangeHigh() << '\n';
            break;
        default:
            s << Escape(c.GetText()) << '\n';
            break;
        }
        Report("show " + std::to_string(id) + ":\n" + s.str().substr(0, s.str().size() - 1));
    }

    std::istream& m_script;
    std::ostream& m_out;
    std::ostream& m_err;
    std::mutex m_outMutex;
    SettingsStore m_store;
    HeadlessMainWindow m_window;
    CMainDialog m_dialog;
    int m_lineNumber = 0;
    bool m_failed = false;
    bool m_stopped = false;
};

} // namespace

int RunScript(std::istream& script, std::ostream& out, std::ostream& err,
              const std::string& settingsPath, bool answerYes) {
    ScriptRunner runner(script, out, err, settingsPath, answerYes);
    return runner.Run();
}

int RunScriptMode(const std::string& file, bool answerYes) {
    std::signal(SIGPIPE, SIG_IGN);
    std::ios::sync_with_stdio(true);
    std::string path = SettingsFilePath();
    if (file == "-") {
        return RunScript(std::cin, std::cout, std::cerr, path, answerYes);
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << "script: cannot open " << file << '\n';
        return 2;
    }
    return RunScript(in, std::cout, std::cerr, path, answerYes);
}
