#pragma once

#include "app/UserDialogs.h"

#include <QStringList>

#include <deque>
#include <functional>

// Answers the tool's boxes and dialogs from a script, recording what was shown. An
// unscripted box is answered with OK (or Cancel, when so set), so no test hangs.
class ScriptedDialogs : public UserDialogs
{
public:
    struct Shown
    {
        QString text;
        QString caption;
        bool withCancel;
    };

    int showMessage(const QString& text, const QString& caption, bool withCancel) override;
    std::optional<QString> chooseFile(const FileDialogRequest& request) override;

    void answerNext(int answer) { m_answers.push_back(answer); }
    void chooseNext(std::optional<QString> file) { m_files.push_back(std::move(file)); }
    // Runs while a box is shown (the window is blocked then), e.g. to look at the progress.
    std::function<void(const Shown&)> onShow;

    std::vector<Shown> shown;
    std::vector<FileDialogRequest> fileRequests;
    int defaultAnswer = answerOk;

private:
    std::deque<int> m_answers;
    std::deque<std::optional<QString>> m_files;
};
