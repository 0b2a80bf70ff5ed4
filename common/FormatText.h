#pragma once

#include <QString>
#include <QVariantList>

// The platform's format routine: "%" [index ":"] ["-"] [width] ["." precision] type, with the
// types d u x s f e g n; "*" takes width or precision from the arguments; "%%" is a percent sign.
// %s takes any argument (converted with VarToStr); the numeric types need a number.
// Raises Exception("Format '%s' invalid or incompatible with argument") or
// Exception("No argument for format '%s'").
QString Format(const QString& format, const QVariantList& args);
