// Reading a number typed or received as text, with the usual number syntax.
#pragma once

#include <optional>

#include <QStringView>

namespace numbertext {

/**
 * The value of `text` when it reads as a number: optional surrounding spaces, an optional sign,
 * digits with an optional decimal point (at least one digit), and an optional exponent ("1e3").
 * Anything else, the empty text included, gives no value.
 */
std::optional<double> parse(QStringView text);

} // namespace numbertext
