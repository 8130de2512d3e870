#include "app/script_mode.h"

#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/process_start.h"
#include "platform/window/headless/headless_window.h"
#include "res/ascii_case.h"
#include "res/resource_ids.h"
#include "res/templates.h"
#include "res/visible_text.h"
#include "settings/settings_store.h"
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

// One line of output: line breaks as \r and \n, and nothing a terminal would obey.
std::string Escape(const std::string& text) {
    std::string out;
    for (char c : res::VisibleText(text, true)) {
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

// What `show` tells of a control: its rows, state or text, one line each.
std::string ShowText(headless::Control& c) {
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
            s << (selected ? "[*] " : "[ ] ") << rows[i].image << ' ' << Escape(rows[i].text)
              << '\n';
        }
        break;
    }
    case K::ComboBox:
    case K::ImageComboBox: {
        auto rows = c.Rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            s << (static_cast<int>(i) == c.GetCurSel() ? "[*] " : "[ ] ");
            if (c.Kind() == K::ImageComboBox) {
                s << rows[i].image << '/' << rows[i].selectedImage << " indent " << rows[i].indent
                  << ' ';
            }
            s << Escape(rows[i].text) << '\n';
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
    return s.str().substr(0, s.str().size() - 1);
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
            // Replies and names come from the server: its escape sequences stay on the page.
            m_out << res::VisibleText(text, true);
            m_out.flush();
        });
        m_window.SetBoxObserver([this](const headless::BoxRecord& box) {
            std::lock_guard<std::mutex> lock(m_outMutex);
            m_err << "box " << IconName(box.icon) << ' ' << ButtonsName(box.buttons) << ": "
                  << Escape(box.text) << " -> " << AnswerName(box.answer) << '\n';
            m_err.flush();
        });
        m_window.SetShellObserver(
            [this](const std::string& path) { Report("open " + Escape(path)); });
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
                m_window.PumpUntil([this] { return !m_dialog.View().m_busy; });
            }
        }
        m_window.PumpUntil([this] { return !m_dialog.View().m_busy; });
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

    // A script line ready to run: its words, the window it acts on and the numbers its words
    // hold.
    struct GestureLine {
        const std::vector<std::string>& words;
        HeadlessWindowBase& target;
        HeadlessDialog* dialog; // the dialog the line runs in, null on the main window
        int id = 0;             // the word after the verb, when the gesture takes a number there
        int second = 0;         // the word after that, when the gesture takes two numbers
    };

    // What the word after the verb must be.
    enum class FirstWord {
        Any,     // nothing is asked of it
        Number,  // a number
        Control, // the id of a control of the window the line runs in
    };

    struct Gesture {
        const char* verb;
        std::size_t minWords; // counting the verb
        FirstWord first;
        // Set when the word after the id is a number too: the usage told when either is not
        // (after the general one when the id is missing).
        const char* twoNumbers;
        void (ScriptRunner::*run)(const GestureLine& line);
    };

    // The gestures a script knows, one row each: the words are checked against the row before
    // its handler runs.
    static const std::vector<Gesture>& Gestures() {
        using S = ScriptRunner;
        using F = FirstWord;
        static const std::vector<Gesture> table = {
            {"type", 2, F::Control, nullptr, &S::OnType},
            {"click", 2, F::Control, nullptr, &S::OnClick},
            {"key-enter", 2, F::Control, nullptr, &S::OnKeyEnter},
            {"key", 3, F::Control, nullptr, &S::OnKey},
            {"sort", 3, F::Control, nullptr, &S::OnSort},
            {"columns", 2, F::Control, nullptr, &S::OnColumns},
            {"tab", 2, F::Number, nullptr, &S::OnTab},
            {"select", 2, F::Control, nullptr, &S::OnSelect},
            {"check", 3, F::Control, nullptr, &S::OnCheck},
            {"activate", 3, F::Control, nullptr, &S::OnActivate},
            {"menu", 3, F::Number, "expected: menu ID COMMAND", &S::OnMenu},
            {"combo", 3, F::Control, nullptr, &S::OnCombo},
            {"label", 3, F::Control, nullptr, &S::OnLabel},
            {"drag", 3, F::Number, "expected: drag FROM TO", &S::OnDrag},
            {"drop", 1, F::Any, nullptr, &S::OnDrop},
            {"answer", 1, F::Any, nullptr, &S::OnAnswer},
            {"wait", 1, F::Any, nullptr, &S::OnWait},
            {"show", 2, F::Control, nullptr, &S::OnShow},
            {"close", 1, F::Any, nullptr, &S::OnClose},
            {"sleep", 2, F::Number, nullptr, &S::OnSleep},
        };
        return table;
    }

    void Execute(const std::vector<std::string>& w, HeadlessWindowBase& target,
                 HeadlessDialog* dialog) {
        for (const Gesture& gesture : Gestures()) {
            if (w[0] == gesture.verb) {
                GestureLine line{w, target, dialog};
                if (WordsFit(gesture, line)) {
                    (this->*gesture.run)(line);
                }
                return;
            }
        }
        Fail("unknown gesture " + w[0]);
    }

    // Checks the words against the gesture's row and reads its numbers into the line; tells
    // what was expected when they do not fit.
    bool WordsFit(const Gesture& gesture, GestureLine& line) {
        const std::vector<std::string>& w = line.words;
        if (w.size() < gesture.minWords ||
            (gesture.first != FirstWord::Any && !ParseInt(w[1], line.id))) {
            Fail("expected: " + w[0] + " ID ...");
            if (gesture.twoNumbers != nullptr) {
                Fail(gesture.twoNumbers);
            }
            return false;
        }
        if (gesture.twoNumbers != nullptr && !ParseInt(w[2], line.second)) {
            Fail(gesture.twoNumbers);
            return false;
        }
        return gesture.first != FirstWord::Control || HasControl(line.target, line.id);
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

    void OnType(const GestureLine& line) { line.target.Type(line.id, Rest(line.words, 2)); }

    void OnClick(const GestureLine& line) { line.target.Click(line.id); }

    void OnKeyEnter(const GestureLine& line) {
        bool swallowed = line.target.KeyEnter(line.id);
        if (!swallowed && line.dialog != nullptr) {
            line.target.Click(1); // Enter presses the default button
        }
    }

    // A key pressed while the control has the focus: backspace, delete, f2, f5, f7, tab,
    // ctrl+a, escape (which, as in the window, closes nothing) or enter.
    void OnKey(const GestureLine& line) {
        static const std::pair<const char*, int> kKeys[] = {
            {"backspace", win::kKeyBackspace},
            {"delete", win::kKeyDelete},
            {"f2", win::kKeyF2},
            {"f5", win::kKeyF5},
            {"f7", win::kKeyF7},
            {"tab", win::kKeyTab},
            {"ctrl+a", win::kKeySelectAll},
            {"escape", 0},
            {"enter", -1},
        };
        const std::string& name = line.words[2];
        for (const auto& [word, key] : kKeys) {
            if (name == word) {
                if (key < 0) {
                    OnKeyEnter(line);
                } else if (key > 0) {
                    line.target.KeyDown(line.id, static_cast<win::Key>(key));
                }
                return;
            }
        }
        Fail("unknown key " + name);
    }

    // A click on a column header of a file list, by the column's title or number (0 = name).
    void OnSort(const GestureLine& line) {
        headless::Control& list = line.target.Get(line.id);
        const std::vector<win::ListColumn> columns = list.Columns();
        int column = -1;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (res::EqualIgnoringAsciiCase(columns[i].title, line.words[2])) {
                column = static_cast<int>(i);
            }
        }
        if (column < 0 && (!ParseInt(line.words[2], column) || column < 0 ||
                           column >= static_cast<int>(columns.size()))) {
            Fail("no column " + line.words[2] + " in " + std::to_string(line.id));
            return;
        }
        line.target.ClickHeader(line.id, column);
    }

    // The rows of a list with every column, after a header line naming the order.
    void OnColumns(const GestureLine& line) {
        headless::Control& list = line.target.Get(line.id);
        std::ostringstream s;
        const std::vector<win::ListColumn> columns = list.Columns();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            s << (i == 0 ? "" : " | ") << columns[i].title;
            if (static_cast<int>(i) == list.SortColumn()) {
                s << (list.SortAscending() ? " (ascending)" : " (descending)");
            }
        }
        for (const headless::Row& row : list.Rows()) {
            s << '\n'
              << ((row.state & win::kStateSelected) != 0 ? "[*] " : "[ ] ") << row.image << ' '
              << Escape(row.text);
            for (const std::string& cell : row.cells) {
                s << " | " << Escape(cell);
            }
        }
        Report("columns " + std::to_string(line.id) + ":\n" + s.str());
    }

    void OnTab(const GestureLine& line) { line.target.SelectTab(line.id); }

    void OnSelect(const GestureLine& line) {
        std::vector<std::string> names(line.words.begin() + 2, line.words.end());
        if (!line.target.Select(line.id, names)) {
            Fail("no such item in " + std::to_string(line.id));
        }
    }

    void OnCheck(const GestureLine& line) {
        const std::string& state = line.words[2];
        if (state != "on" && state != "off") {
            Fail("expected on or off");
            return;
        }
        line.target.Check(line.id, state == "on");
    }

    void OnActivate(const GestureLine& line) {
        if (!line.target.Activate(line.id, Rest(line.words, 2))) {
            Fail("no row " + Rest(line.words, 2));
        }
    }

    // Right-clicks the list with the command the pop-up menu will choose.
    void OnMenu(const GestureLine& line) {
        const int command = line.second;
        std::size_t before = m_window.Menus().size();
        m_window.QueueMenuChoice(command);
        m_window.RightClick(line.id);
        auto menus = m_window.Menus();
        if (menus.size() == before) {
            m_window.ClearMenuChoices(); // nothing took the choice: drop it
            Report("menu " + std::to_string(line.id) + ": no menu opened");
        } else if (menus.back().disabled.count(command)) {
            Report("menu " + std::to_string(line.id) + ": command " + std::to_string(command) +
                   " is disabled");
        }
    }

    void OnCombo(const GestureLine& line) {
        if (!line.target.ChooseCombo(line.id, Rest(line.words, 2))) {
            Fail("no item " + Rest(line.words, 2) + " in " + std::to_string(line.id));
        }
    }

    void OnLabel(const GestureLine& line) {
        if (line.words[2] == "--escape") {
            line.target.EndLabel(line.id, "", true);
        } else {
            line.target.EndLabel(line.id, Rest(line.words, 2), false);
        }
    }

    void OnDrag(const GestureLine& line) { m_window.DragAndRelease(line.id, line.second); }

    void OnDrop(const GestureLine& line) {
        m_window.DropFiles(res::kRemoteList,
                           std::vector<std::string>(line.words.begin() + 1, line.words.end()));
    }

    void OnAnswer(const GestureLine& line) {
        const std::vector<std::string>& w = line.words;
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
    }

    void OnWait(const GestureLine&) {
        if (!m_window.PumpUntil([this] { return !m_dialog.View().m_busy; },
                                std::chrono::minutes(10))) {
            Fail("the job did not end");
        }
        m_dialog.WaitForWorker();
        m_window.Pump();
    }

    void OnShow(const GestureLine& line) {
        Report("show " + std::to_string(line.id) + ":\n" + ShowText(line.target.Get(line.id)));
    }

    void OnClose(const GestureLine&) { m_dialog.CloseProcedure(); }

    void OnSleep(const GestureLine& line) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(line.id);
        m_window.PumpUntil([end] { return std::chrono::steady_clock::now() >= end; });
    }

    void Report(const std::string& text) {
        std::lock_guard<std::mutex> lock(m_outMutex);
        m_err << text << '\n';
        m_err.flush();
    }

    std::istream& m_script;
    std::ostream& m_out;
    std::ostream& m_err;
    std::mutex m_outMutex;
    settings::SettingsStore m_store;
    HeadlessMainWindow m_window;
    ui::CMainDialog m_dialog;
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
    platform::IgnoreWriteSignals();
    std::ios::sync_with_stdio(true);
    std::string path = settings::SettingsFilePath();
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
