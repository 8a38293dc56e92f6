#include "app/rebuild_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <exception>

#include "app/message_boxes.h"
#include "storage/diary_storage.h"

namespace quill {

namespace {

QEvent::Type CloseRequestEvent() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

}  // namespace

TRebuildInd::TRebuildInd(DiaryStorage& storage, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), storage_(storage) {
    setObjectName("RebuildInd");
    setWindowTitle(kRebuildCaption);
    setModal(true);
    WhatAmIDoing = new QLabel(this);
    WhatAmIDoing->setObjectName("WhatAmIDoing");
    WhatAmIDoing->setAlignment(Qt::AlignCenter);
    WhatAmIDoing->hide();
    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName("Gauge1");
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    auto* column = new QVBoxLayout(this);
    column->addWidget(WhatAmIDoing);
    column->addWidget(Gauge1);
    setFixedSize(320, 96);
    FormCreate();
}

void TRebuildInd::FormCreate() { gauge_ = TRebuildGauge(); }

void TRebuildInd::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (activationQueued_) return;
    activationQueued_ = true;
    // Once the dialog is on screen and its modal loop runs.
    QMetaObject::invokeMethod(this, &TRebuildInd::FormActivate, Qt::QueuedConnection);
}

void TRebuildInd::SetWhatAmIDoing(const QString& text) {
    WhatAmIDoing->setText(text);
    QCoreApplication::processEvents();
}

void TRebuildInd::FormActivate() {
    // The work is done once per showing of the dialog, however often it is
    // activated.
    if (activated_) return;
    activated_ = true;
    working_ = true;
    Gauge1->show();
    WhatAmIDoing->setText(QString());
    WhatAmIDoing->show();
    RebuildListener listener;
    listener.phaseStarted = [this](RebuildPhase phase) {
        gauge_.Start(phase);
        Gauge1->setValue(0);
        SetWhatAmIDoing(phase == RebuildPhase::Pack ? kPackingText : kIndexingText);
    };
    listener.progress = [this](RebuildPhase, int percent) { FormKeyDown(percent); };
    listener.idle = [] { QCoreApplication::processEvents(); };
    QString damage;
    try {
        damage = QString::fromStdString(storage_.PackAndRebuild(listener).damage);
    } catch (const std::exception& e) {
        // The table is back in use by now, with Deleted, the filter and the
        // order as they were; say what happened and close all the same.
        failureText_ = QString::fromStdString(e.what());
    }
    Gauge1->hide();
    Gauge1->setValue(0);
    if (!failureText_.isEmpty())
        AskBox(failureText_, kRebuildCaption, QMessageBox::Ok, QMessageBox::Critical);
    else if (!damage.isEmpty())
        AskBox("The rebuild kept some entries whose text cannot be read, as they were:\n" + damage,
               kRebuildCaption, QMessageBox::Ok, QMessageBox::Warning);
    working_ = false;
    QCoreApplication::postEvent(this, new QEvent(CloseRequestEvent()));
}

void TRebuildInd::FormKeyDown(int percent) {
    Gauge1->setValue(gauge_.Report(percent));
    QCoreApplication::processEvents();
}

bool TRebuildInd::event(QEvent* event) {
    if (event->type() == CloseRequestEvent()) {
        closing_ = true;
        accept();
        return true;
    }
    return QDialog::event(event);
}

void TRebuildInd::closeEvent(QCloseEvent* event) {
    // No title-bar buttons, but the window manager may still ask: the work
    // must not be cut off, and the dialog closes itself when it is done.
    if (!closing_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TRebuildInd::keyPressEvent(QKeyEvent* event) {
    // Escape would reject the dialog in the middle of the work.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void RebuildIndexes1Click(DiaryStorage& storage, QWidget* mainWindow, const std::function<void()>& saveEdit,
                          const std::function<void()>& showSameDay) {
    if (saveEdit) saveEdit();
    {
        TRebuildInd dialog(storage, mainWindow);
        CenterOverMainWindow(&dialog);
        dialog.exec();
    }
    if (showSameDay) showSameDay();
}

}  // namespace quill
