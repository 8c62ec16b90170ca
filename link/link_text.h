// The link's sentences for the operator.
#pragma once

#include <QCoreApplication>

namespace estrivo {

// LinkText::tr() files every sentence of this module under one translation context, the one
// the running program looks it up in.
struct LinkText
{
    Q_DECLARE_TR_FUNCTIONS(Link)
};

} // namespace estrivo
