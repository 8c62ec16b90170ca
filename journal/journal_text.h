// The journal's sentences for the operator.
#pragma once

#include <QCoreApplication>

namespace estrivo {

// JournalText::tr() files every sentence of this module under one translation context, the one
// the running program looks it up in.
struct JournalText
{
    Q_DECLARE_TR_FUNCTIONS(Journal)
};

} // namespace estrivo
