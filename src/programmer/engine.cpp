#include "programmer/engine.h"

#include "programmer/operation.h"

namespace kvt::programmer {

ProgrammingEngine::ProgrammingEngine(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<Outcome>();
}

ProgrammingEngine::~ProgrammingEngine()
{
    if (m_operation)
        m_operation->abandon();
}

void ProgrammingEngine::startWrite(const QString &filePath, const SerialSettings &settings,
                                   const QString &device)
{
    if (!m_operation)
        start(new Operation(Operation::Job::Write, filePath, settings, device));
}

void ProgrammingEngine::startReadId(const SerialSettings &settings, const QString &device)
{
    if (!m_operation)
        start(new Operation(Operation::Job::ReadId, QString(), settings, device));
}

void ProgrammingEngine::start(Operation *operation)
{
    m_operation = operation;
    connect(operation, &Operation::portOpened, this, &ProgrammingEngine::portOpened);
    connect(operation, &Operation::rangeChanged, this, &ProgrammingEngine::rangeChanged);
    connect(operation, &Operation::progressed, this, &ProgrammingEngine::progressed);
    connect(operation, &Operation::finished, this, &ProgrammingEngine::finished);
    connect(operation, &Operation::closed, this, [this] { m_operation = nullptr; });
    operation->start();
}

void ProgrammingEngine::cancel()
{
    if (!m_operation)
        return;
    // Cancelled from a receiver of finished(): that outcome stands.
    if (const auto outcome = std::exchange(m_operation, nullptr)->abandon())
        emit finished(*outcome);
}

bool ProgrammingEngine::isBusy() const
{
    return m_operation != nullptr;
}

} // namespace kvt::programmer
