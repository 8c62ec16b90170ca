// The print module's sentences for the operator.
#pragma once

#include <QCoreApplication>

namespace estrivo {

// PrintText::tr() files every sentence of this module under one translation context, the one
// the running program looks it up in.
struct PrintText
{
    Q_DECLARE_TR_FUNCTIONS(Print)
};

} // namespace estrivo
