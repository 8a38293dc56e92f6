#pragma once
// Shared pieces of the window tests: a diary table that records what the
// window asks of it, and message boxes that answer from a script.

#include <QMessageBox>
#include <QTemporaryDir>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/diary_store.h"
#include "app/main_screen.h"
#include "app/message_boxes.h"

namespace quill::test {

struct StoreLog {
    // "open <folder>", "password <text>", "find <key>", "save <key>"
    std::vector<std::string> calls;
    bool openSucceeds = true;
    std::map<std::string, std::string> entries;  // key -> stored text
    std::vector<std::string> openNotes;
};

class RecordingStore : public DiaryStore {
public:
    explicit RecordingStore(std::shared_ptr<StoreLog> log) : log_(std::move(log)) {}
    bool OpenDiaryFile(const std::string& folder) override {
        log_->calls.push_back("open " + folder);
        return log_->openSucceeds;
    }
    bool FindDateRecord(Date date) override {
        log_->calls.push_back("find " + DateToKey(date));
        found_ = DateToKey(date);
        return log_->entries.count(found_) != 0;
    }
    std::string CurrentEntryText() override {
        auto it = log_->entries.find(found_);
        return it == log_->entries.end() ? std::string() : it->second;
    }
    bool SaveEntry(Date date, const std::string& text) override {
        log_->calls.push_back("save " + DateToKey(date));
        if (text.empty())
            log_->entries.erase(DateToKey(date));
        else
            log_->entries[DateToKey(date)] = text;
        return !text.empty();
    }
    Date FirstEntry() override { return End(true); }
    Date LastEntry() override { return End(false); }
    void SetPassword(const std::string& password) override {
        log_->calls.push_back("password " + password);
    }
    std::string LastError() const override { return "the table file is damaged"; }
    std::vector<std::string> OpenNotes() const override { return log_->openNotes; }

private:
    Date End(bool first) {
        if (log_->entries.empty()) return Today();
        const std::string key = first ? log_->entries.begin()->first : log_->entries.rbegin()->first;
        found_ = key;
        return STOD(key);
    }
    std::shared_ptr<StoreLog> log_;
    std::string found_;
};

struct ShownBox {
    QString text;
    QString caption;
    QMessageBox::StandardButtons buttons;
};

// Records every box; answers Yes/No questions from the queue (No when empty).
class ScriptedBoxes {
public:
    ScriptedBoxes() {
        SetAskBoxHandler([this](const QString& text, const QString& caption,
                                QMessageBox::StandardButtons buttons, QMessageBox::Icon) {
            shown.push_back({text, caption, buttons});
            if (buttons & QMessageBox::Yes) {
                const bool yes = !answers.empty() && answers.front();
                if (!answers.empty()) answers.pop_front();
                return yes ? QMessageBox::Yes : QMessageBox::No;
            }
            return QMessageBox::Ok;
        });
    }
    ~ScriptedBoxes() { SetAskBoxHandler({}); }
    std::vector<ShownBox> shown;
    std::deque<bool> answers;
};

struct WindowUnderTest {
    std::shared_ptr<StoreLog> log = std::make_shared<StoreLog>();
    std::unique_ptr<TMainScreen> window;

    void Make(const std::string& diaryFolder, const QString& programFolder = QString()) {
        MainScreenSetup setup;
        setup.diaryFolder = diaryFolder;
        setup.programFolder = programFolder;
        window = std::make_unique<TMainScreen>(setup, std::make_unique<RecordingStore>(log));
    }
};

inline std::string FolderOf(const QTemporaryDir& dir) { return dir.path().toStdString() + "/"; }

}  // namespace quill::test
