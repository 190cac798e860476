#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <QTabWidget>

#include <array>

class QComboBox;
class QLineEdit;
class QPushButton;
class QWidget;

// Small constructors for the window's controls: each takes its name, its place relative to
// its parent and its content, so the window reads as a table of controls.
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& place);
QComboBox* makeSelector(QWidget* parent, const QString& name, const QRect& place,
                        const QStringList& choices);
// A single-line box that turns typed letters into upper case.
QLineEdit* makeUpperCaseEdit(QWidget* parent, const QString& name, const QRect& place);

// A tab control whose pages' controls are placed relative to the control itself, tab strip
// included, as the window's design gives them. Each page has a layer covering the whole
// control; only the current page's layer is shown.
class PagedTabControl : public QTabWidget
{
    Q_OBJECT
public:
    PagedTabControl(QWidget* parent, const QStringList& captions);
    QWidget* layer(int page) const { return m_layers.at(page); }
    int pageCount() const { return int(m_layers.size()); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showLayerOf(int page);
    std::vector<QWidget*> m_layers;
};

// The usage page's fixed text, lines separated by CR LF.
QString usageText();
