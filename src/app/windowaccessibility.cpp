// The window's accessible names and roles, and the interfaces for its plan tabs and its role-giving labels.
#include "app/windowaccessibility.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>

#include "app/plantabs.h"

namespace {

// The role a label takes instead of its plain text or picture role (an int of QAccessible::Role).
constexpr char kRoleProperty[] = "accessibleRole";

/// A left click in the middle of `widget`, delivered as input; none on a control that is not shown or disabled.
void clickAsInput(QWidget* widget)
{
    if (!widget->isVisible() || !widget->isEnabled())
        return;
    const QPointF centre = QRectF(widget->rect()).center();
    const QPointF global = widget->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

/// A plan tab: a page tab, selected while its plan is shown, pressed by a click.
class PlanTabAccessible : public QAccessibleWidget {
public:
    explicit PlanTabAccessible(PlanTab* tab)
        : QAccessibleWidget(tab, QAccessible::PageTab)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        // Both tabs can take the focus: the selected one by Tab, the other by the arrow keys.
        state.focusable = true;
        state.selectable = true;
        state.selected = static_cast<PlanTab*>(widget())->isSelected();
        return state;
    }

    QStringList actionNames() const override { return { pressAction() }; }

    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction())
            clickAsInput(widget());
    }

    QStringList keyBindingsForAction(const QString& actionName) const override
    {
        if (actionName == pressAction())
            return { QStringLiteral("Space") };
        return {};
    }
};

/// A label that stands for something other than text or a picture: a status line, a link, a grouping.
class RoleLabelAccessible : public QAccessibleWidget {
public:
    RoleLabelAccessible(QLabel* label, QAccessible::Role role)
        : QAccessibleWidget(label, role)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty())
            text = static_cast<QLabel*>(widget())->text();
        return text;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        // A link with no words (the new-version link before the update check finds one) is not there yet.
        if (role() == QAccessible::Link && text(QAccessible::Name).trimmed().isEmpty())
            state.invisible = true;
        if (role() == QAccessible::Link)
            state.linked = true;
        return state;
    }

    QStringList actionNames() const override
    {
        if (role() == QAccessible::Link)
            return { pressAction() };
        return {};
    }

    void doAction(const QString& actionName) override
    {
        if (role() == QAccessible::Link && actionName == pressAction())
            clickAsInput(widget());
    }
};

QAccessibleInterface* createInterface(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("PlanTab"))
        return new PlanTabAccessible(static_cast<PlanTab*>(widget));
    if (className == QLatin1String("PlanTabList"))
        return new QAccessibleWidget(widget, QAccessible::PageTabList);
    const QVariant role = object->property(kRoleProperty);
    if (!role.isValid())
        return nullptr;
    if (auto* label = qobject_cast<QLabel*>(object))
        return new RoleLabelAccessible(label, QAccessible::Role(role.toInt()));
    return new QAccessibleWidget(widget, QAccessible::Role(role.toInt()));
}

struct Described {
    const char* control; // the design name
    const char* name; // what a screen reader reads for it
    QAccessible::Role role = QAccessible::NoRole; // NoRole: the widget's own
    const char* description = nullptr;
};

} // namespace

void windowaccessibility::describe(QWidget& window)
{
    static const bool installed = (QAccessible::installFactory(&createInterface), true);
    Q_UNUSED(installed);

    // Names are the captions painted on the pictures, or the words a user reads beside a field; null keeps the
    // widget's own text as its name (the status lines change, and a label's changes are announced only then).
    static const Described described[] = {
        { "fmMain", nullptr, QAccessible::Window }, // the window's title names it
        { "btMin", "最小化" },
        { "btClose", "关闭" },
        { "picLogo", "青禾更名器" },
        { "btOpenFolder", "添加文件夹" },
        { "btOpenFiles", "添加文件" },
        { "lbNewVersion", nullptr, QAccessible::Link },
        { "planTabs", "改名格式", QAccessible::PageTabList, "Ctrl+Tab 切换改名格式" },
        { "btDIY", "重新命名", QAccessible::PageTab },
        { "btReplace", "原文件名修改", QAccessible::PageTab },
        { "planDIY", "重新命名", QAccessible::Grouping },
        { "planReplace", "原文件名修改", QAccessible::Grouping },
        { "txtNewName1", "前缀" },
        { "txtNewName2", "开始编号" },
        { "txtNewNameF", "补零位数" },
        { "txtNewName3", "后缀" },
        { "txtAdd1", "在文件名前添加" },
        { "txtAdd2", "在文件名后追加" },
        { "txtReplaceOld", "要替换的文字" },
        { "txtReplaceNew", "替换成" },
        { "txtExp", "扩展名" },
        { "ListReName", "文件列表", QAccessible::NoRole, "Delete 删除所选行，Alt+上/下 移动所选行" },
        { "btSelectUp", "上移" },
        { "btSelectDown", "下移" },
        { "btSelectDelete", "删除" },
        { "btListClear", "清空" },
        { "lbInfo(15)", nullptr, QAccessible::StatusBar },
        { "lbProgress", nullptr, QAccessible::StatusBar },
        { "picProgress", "进度" },
        { "btCancel", "取消" },
        { "btReName", "开始更名" },
        { "btCallBack", "还原" },
        { "lbADR", nullptr, QAccessible::Link },
    };
    for (const Described& d : described) {
        QWidget* control = qstrcmp(d.control, window.metaObject()->className()) == 0
            ? &window
            : window.findChild<QWidget*>(QString::fromLatin1(d.control));
        if (!control)
            continue;
        if (d.name)
            control->setAccessibleName(QString::fromUtf8(d.name));
        if (d.description)
            control->setAccessibleDescription(QString::fromUtf8(d.description));
        if (d.role == QAccessible::NoRole)
            continue;
        control->setProperty(kRoleProperty, int(d.role));
        // Qt makes a control's interface at its first accessibility event, a label's already when its text is
        // first set, and keeps it: one made before the role was known is dropped, so the next is made here.
        if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(control); made && made->role() != d.role)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
}
