#include "app/WindowLayout.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QValidator>

#include <limits>

namespace {

// Typed and pasted letters become upper case one character for one, so the caret stays put.
class UpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        for (QChar& c : input)
            c = c.toUpper();
        return Acceptable;
    }
};

} // namespace

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& place)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    // Captions break lines with CR LF; the button shows a plain line break.
    QString shown = caption;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    button->setText(shown);
    button->setGeometry(place);
    button->setAutoDefault(false);
    return button;
}

QComboBox* makeSelector(QWidget* parent, const QString& name, const QRect& place,
                        const QStringList& choices)
{
    auto* selector = new QComboBox(parent);
    selector->setObjectName(name);
    selector->setEditable(false);
    selector->addItems(choices);
    selector->setMaxVisibleItems(20);
    selector->setGeometry(place);
    // The list may be wider than the narrow box, so that "第16路" is read whole.
    selector->view()->setMinimumWidth(selector->view()->sizeHintForColumn(0) + 24);
    return selector;
}

QLineEdit* makeUpperCaseEdit(QWidget* parent, const QString& name, const QRect& place)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(place);
    edit->setValidator(new UpperCaseValidator(edit));
    // No length limit: an overlong text must reach the check whole, to be reported as such.
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

PagedTabControl::PagedTabControl(QWidget* parent, const QStringList& captions) : QTabWidget(parent)
{
    for (const QString& caption : captions) {
        addTab(new QWidget, caption);
        auto* layer = new QWidget(this);
        layer->setObjectName(QStringLiteral("page%1").arg(m_layers.size()));
        layer->hide();
        m_layers.push_back(layer);
    }
    // The strip stays clickable above the layers.
    tabBar()->raise();
    connect(this, &QTabWidget::currentChanged, this, &PagedTabControl::showLayerOf);
    showLayerOf(currentIndex());
}

void PagedTabControl::resizeEvent(QResizeEvent* event)
{
    QTabWidget::resizeEvent(event);
    for (QWidget* layer : m_layers)
        layer->setGeometry(rect());
    tabBar()->raise();
}

void PagedTabControl::showLayerOf(int page)
{
    for (int i = 0; i < int(m_layers.size()); ++i)
        m_layers[i]->setVisible(i == page);
    tabBar()->raise();
}

QString usageText()
{
    const QStringList lines = {
        QString(109, QLatin1Char(' ')),
        QStringLiteral("1、端口号：右键点击“我的电脑”-“管理”-“设备管理器”-"
                       "“端口”，根据实际端口号进行填写，波特率默认9600；"),
        QString(),
        QStringLiteral("2、填写正确的“端口号”后，点击“启动”。启动成功后，部分依赖串口通讯的按钮变为"
                       "可点击状态；"),
        QString(),
        QStringLiteral("3、先选择需要控制的那一个继电器，然后选择功能（开关、翻转、点动等），最后在"
                       "文本输入框填写自定义的指令；"),
        QString(),
        QStringLiteral(
            "4、自定义数据写入模块后，当模块接收到用户自定义的数据，就会执行对应设置的动作；"),
        QString(),
        QStringLiteral("5、每条自定义指令总长不能超过40个字节（场景数据也应计算在内）。"),
        QString(),
        QStringLiteral("6、建议填写好所有学习指令后，一次性写入模块；"),
        QString(),
        QStringLiteral("注意：设置场景功能时，自定义数据前面需要定义每个继电器的状态。01开 00关 "
                       "FF不动作  8字节+用户数据  或16字节+用户数据"),
    };
    return lines.join(QStringLiteral("\r\n"));
}
