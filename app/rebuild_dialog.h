#pragma once
// "Rebuild Indexes": removes the records of removed entries for good and
// builds the date index from scratch, in a small dialog with a gauge and a
// line saying what is being done. It has no buttons of its own: the work
// starts when the dialog is first shown, and the dialog closes itself once
// the work is over, whether it succeeded or not.

#include <QDialog>
#include <QString>
#include <functional>

#include "storage/rebuild_gauge.h"

class QLabel;
class QProgressBar;

namespace quill {

class DiaryStorage;

class TRebuildInd : public QDialog {
    Q_OBJECT
public:
    explicit TRebuildInd(DiaryStorage& storage, QWidget* parent = nullptr);

    void FormCreate();
    // Does the whole work, then posts the request that closes the dialog.
    void FormActivate();
    // One progress notification of the engine (0-100).
    void FormKeyDown(int percent);

    QProgressBar* Gauge1;
    QLabel* WhatAmIDoing;

    // The message shown when the work failed; empty when it succeeded.
    const QString& FailureText() const { return failureText_; }
    bool Working() const { return working_; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetWhatAmIDoing(const QString& text);

    DiaryStorage& storage_;
    TRebuildGauge gauge_;
    bool activationQueued_ = false;
    bool activated_ = false;
    bool working_ = false;
    bool closing_ = false;  // only the posted request may close it
    QString failureText_;
};

inline constexpr const char* kRebuildCaption = "Rebuild Indexes";
inline constexpr const char* kPackingText = "Permanently removing deleted tasks";
inline constexpr const char* kIndexingText = "Rebuilding indexes";

// The menu command "Rebuild Indexes (do this often!)": saves a pending edit,
// shows the dialog centred over the main window, then shows the same day
// again (the work moved the table's current record).
void RebuildIndexes1Click(DiaryStorage& storage, QWidget* mainWindow, const std::function<void()>& saveEdit,
                          const std::function<void()>& showSameDay);

}  // namespace quill
