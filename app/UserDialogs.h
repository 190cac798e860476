#pragma once

#include <QString>

#include <optional>

class QWidget;

// What a file dialog is asked to do; it keeps nothing between uses, the window does.
struct FileDialogRequest
{
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString filter;        // e.g. "配置文件(*.tvkcf)"
    QString defaultSuffix; // without the dot; empty for none
    QString fileName;      // pre-filled path, may be empty
};

// Every modal box and file dialog of the tool goes through here, so that tests can answer
// them instead of a person.
class UserDialogs
{
public:
    static constexpr int answerOk = 0;
    static constexpr int answerCancel = 1;

    virtual ~UserDialogs() = default;
    // Modal box with OK (and Cancel when asked). Answers 0 for OK; 1 for Cancel, Esc or the
    // close box.
    virtual int showMessage(const QString& text, const QString& caption, bool withCancel) = 0;
    // The chosen file's full path, or nothing when the dialog was cancelled.
    virtual std::optional<QString> chooseFile(const FileDialogRequest& request) = 0;
};

// The real boxes and dialogs of the desktop.
class WidgetDialogs : public UserDialogs
{
public:
    explicit WidgetDialogs(QWidget* owner = nullptr) : m_owner(owner) {}
    // Boxes stay above their owner, which matters when the window is kept on top of all
    // others: a modal box hidden behind it would look like a hang.
    void setOwner(QWidget* owner) { m_owner = owner; }
    int showMessage(const QString& text, const QString& caption, bool withCancel) override;
    std::optional<QString> chooseFile(const FileDialogRequest& request) override;

private:
    QWidget* m_owner;
};
