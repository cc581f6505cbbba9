// placeholder: filled by the owner of this file
#include "programmer/engine.h"

namespace kvt::programmer {
struct ProgrammingEngine::Private {};
ProgrammingEngine::ProgrammingEngine(QObject *parent) : QObject(parent), d(new Private) {}
ProgrammingEngine::~ProgrammingEngine() = default;
void ProgrammingEngine::startWrite(const QString &, const SerialSettings &, const QString &) {}
void ProgrammingEngine::startReadId(const SerialSettings &, const QString &) {}
void ProgrammingEngine::cancel() {}
bool ProgrammingEngine::isBusy() const { return false; }
} // namespace kvt::programmer
