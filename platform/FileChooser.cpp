// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QPointer>
#include <cstring>

#include "Windows.h"

struct NavDialog {
    QPointer<QFileDialog> dialog;
    NavEventUPP proc = nullptr;
    NavCallBackUserData userData = nullptr;
    NavUserAction action = kNavUserActionNone;
    QStringList chosen;
    QStringList pending; // a choice made through NavDialogChooseFile
    bool terminated = false;
};

namespace {

void Send(NavDialogRef d, NavEventCallbackMessage message) {
    if (!d->proc) return;
    NavCBRec rec{d, d->action};
    d->proc(message, &rec, d->userData);
}

} // namespace

OSStatus NavGetDefaultDialogCreationOptions(NavDialogCreationOptions* outOptions) {
    if (!outOptions) return paramErr;
    *outOptions = NavDialogCreationOptions{};
    return noErr;
}

OSStatus NavCreateGetFileDialog(const NavDialogCreationOptions* inOptions, NavEventUPP inEventProc,
                                NavCallBackUserData inClientData, NavDialogRef* outDialog) {
    if (!outDialog) return paramErr;
    auto* d = new NavDialog;
    d->proc = inEventProc;
    d->userData = inClientData;
    // Centred over the main window, and no taskbar entry of its own.
    auto* dialog = new QFileDialog(GetDialogOwner());
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    if (inOptions && !inOptions->windowTitle.empty())
        dialog->setWindowTitle(QString::fromStdString(inOptions->windowTitle));
    if (inOptions && inOptions->modality == kWindowModalityAppModal)
        dialog->setWindowModality(Qt::ApplicationModal);
    d->dialog = dialog;
    // The user's answer, then the end of the dialog, as two messages.
    QObject::connect(dialog, &QDialog::finished, dialog, [d](int result) {
        if (d->terminated) return;
        if (result == QDialog::Accepted && d->dialog) {
            d->action = kNavUserActionOpen;
            d->chosen = d->pending.isEmpty() ? d->dialog->selectedFiles() : d->pending;
        } else {
            d->action = kNavUserActionCancel;
        }
        Send(d, kNavCBUserAction);
        d->terminated = true;
        Send(d, kNavCBTerminate);
    });
    *outDialog = d;
    return noErr;
}

OSStatus NavDialogRun(NavDialogRef inDialog) {
    if (!inDialog || !inDialog->dialog) return paramErr;
    // Shown, not run: the answer comes back through the callback. (open()
    // would make it modal to one window only.)
    inDialog->dialog->show();
    return noErr;
}

void NavDialogDispose(NavDialogRef inDialog) {
    if (!inDialog) return;
    inDialog->terminated = true;
    if (QFileDialog* dialog = inDialog->dialog) {
        QObject::disconnect(dialog, nullptr, nullptr, nullptr);
        dialog->hide();
        dialog->deleteLater();
    }
    delete inDialog;
}

WindowRef NavDialogGetWindow(NavDialogRef inDialog) {
    return inDialog ? inDialog->dialog.data() : nullptr;
}

NavUserAction NavDialogGetUserAction(NavDialogRef inDialog) {
    return inDialog ? inDialog->action : kNavUserActionNone;
}

OSStatus NavDialogGetReply(NavDialogRef inDialog, NavReplyRecord* outReply) {
    if (!inDialog || !outReply) return paramErr;
    outReply->selection.clear();
    for (const QString& file : inDialog->chosen) {
        // Paths go out as the file system's bytes.
        const QByteArray bytes = QFile::encodeName(QDir::toNativeSeparators(file));
        outReply->selection.push_back(FSRef{std::string(bytes.constData(), bytes.size())});
    }
    outReply->validRecord = !outReply->selection.empty();
    return outReply->validRecord ? noErr : errAEDescNotFound;
}

OSStatus NavDisposeReply(NavReplyRecord* inReply) {
    if (!inReply) return paramErr;
    *inReply = NavReplyRecord{};
    return noErr;
}

OSStatus AEGetNthFSRef(const NavReplyRecord* reply, long index, FSRef* outRef) {
    if (!reply || !outRef) return paramErr;
    if (index < 1 || static_cast<std::size_t>(index) > reply->selection.size())
        return errAEDescNotFound;
    *outRef = reply->selection[static_cast<std::size_t>(index - 1)];
    return noErr;
}

bool NavDialogChooseFile(NavDialogRef inDialog, const std::string& path) {
    if (!inDialog || !inDialog->dialog || !inDialog->dialog->isVisible()) return false;
    QFileDialog* dialog = inDialog->dialog;
    const QString file =
        QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
    dialog->setDirectory(QFileInfo(file).absolutePath());
    dialog->selectFile(file);
    // Once the dialog has listed its folder the name may not have reached
    // its selection yet; the user's choice is the file all the same.
    if (dialog->selectedFiles().contains(QFileInfo(file).absoluteFilePath())) {
        static_cast<QDialog*>(dialog)->accept(); // as the Open button does
    } else {
        inDialog->pending = QStringList{QFileInfo(file).absoluteFilePath()};
        static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    }
    return true;
}

bool NavDialogCancel(NavDialogRef inDialog) {
    if (!inDialog || !inDialog->dialog || !inDialog->dialog->isVisible()) return false;
    inDialog->dialog->reject();
    return true;
}
