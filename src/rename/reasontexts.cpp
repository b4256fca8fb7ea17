// reasontexts: a reason in words, the system's own message for an errno it has no word of ours for.
#include "rename/reasontexts.h"

#include <cstring>

#include <QStringList>

namespace batchrename {

namespace {

QString systemMessage(int error)
{
    char buffer[256];
    return QString::fromLocal8Bit(::strerror_r(error, buffer, sizeof buffer));
}

QString causeText(const Result& result, int rowOffset)
{
    switch (result.reason) {
    case Reason::None:
    case Reason::NotReached:
        return {};
    case Reason::EmptyName:
        return QStringLiteral("新文件名为空");
    case Reason::UnusableName:
        return QStringLiteral("新文件名不能使用");
    case Reason::NameTooLong:
        return QStringLiteral("新文件名太长");
    case Reason::SourceMissing:
        return QStringLiteral("原文件已不存在");
    case Reason::DuplicateFile:
        return QStringLiteral("此文件在列表中重复出现");
    case Reason::SameNewName:
        return QStringLiteral("与第 %1 行的新文件名相同").arg(result.otherRequest + 1 + rowOffset);
    case Reason::NameTaken:
        return QStringLiteral("文件夹中已有同名文件");
    case Reason::PermissionDenied:
        return QStringLiteral("没有权限");
    case Reason::DiskFull:
        return QStringLiteral("磁盘已满");
    case Reason::Unsupported:
        return QStringLiteral("文件系统不支持");
    case Reason::Busy:
        return QStringLiteral("被其他程序占用");
    case Reason::SystemError:
        return systemMessage(result.sysError);
    }
    return {};
}

} // namespace

QString reasonText(const Result& result, int rowOffset)
{
    const QString cause = causeText(result, rowOffset);
    if (result.names.isEmpty() || result.done)
        return cause;
    QStringList quoted;
    for (const QString& name : result.names)
        quoted << QStringLiteral("“%1”").arg(name);
    const QString where = quoted.size() == 1
        ? QStringLiteral("文件现名为") + quoted.first()
        : QStringLiteral("文件现有%1个名称：")
                .arg(quoted.size() == 2 ? QStringLiteral("两") : QString::number(quoted.size()))
            + quoted.join(QStringLiteral("、"));
    return cause.isEmpty() ? where : QStringLiteral("%1（%2）").arg(where, cause);
}

} // namespace batchrename
