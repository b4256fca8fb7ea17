// The outcome texts a rename or restore writes into a row's "处理结果" cell, exactly as the window shows them.
#pragma once

#include <QString>

namespace outcome {

inline QString succeeded()
{
    return QStringLiteral("成功");
}
inline QString failed()
{
    return QStringLiteral("失败");
}
inline QString restored()
{
    return QStringLiteral("还原成功");
}
inline QString restoreFailed()
{
    return QStringLiteral("还原失败");
}

} // namespace outcome
