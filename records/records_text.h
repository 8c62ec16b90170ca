// The records program's sentences outside its windows.
#pragma once

#include <QCoreApplication>

namespace estrivo {

// RecordsText::tr() files every sentence of this module under one translation context, the one
// the running program looks it up in.
struct RecordsText
{
    Q_DECLARE_TR_FUNCTIONS(Records)
};

} // namespace estrivo
