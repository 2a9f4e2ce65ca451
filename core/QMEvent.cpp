#include "QMEvent.h"

QMEvent::QMEvent(const QString& name) : m_name(name) {}

void QMEvent::addParameter(std::any value) { m_parameters.push_back(std::move(value)); }
