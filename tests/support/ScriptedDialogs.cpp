#include "support/ScriptedDialogs.h"

int ScriptedDialogs::showMessage(const QString& text, const QString& caption, bool withCancel)
{
    shown.push_back({text, caption, withCancel});
    if (onShow)
        onShow(shown.back());
    if (m_answers.empty())
        return defaultAnswer;
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::optional<QString> ScriptedDialogs::chooseFile(const FileDialogRequest& request)
{
    fileRequests.push_back(request);
    if (m_files.empty())
        return std::nullopt;
    std::optional<QString> file = m_files.front();
    m_files.pop_front();
    return file;
}
