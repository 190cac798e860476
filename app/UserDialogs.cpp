#include "app/UserDialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

int WidgetDialogs::showMessage(const QString& text, const QString& caption, bool withCancel)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QPointer<QMessageBox> box = new QMessageBox(
        QMessageBox::NoIcon, caption, shown,
        withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, m_owner);
    box->setWindowModality(Qt::ApplicationModal);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    const int result = box->exec();
    delete box;
    return result == QMessageBox::Ok ? answerOk : answerCancel;
}

std::optional<QString> WidgetDialogs::chooseFile(const FileDialogRequest& request)
{
    QFileDialog dialog(m_owner);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.kind == FileDialogRequest::Kind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    }
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
