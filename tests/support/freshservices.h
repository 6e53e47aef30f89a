#pragma once
// Fresh process-wide services for each test function: Renew() in init() makes them current, End() in
// cleanup() (or the next Renew()) ends them, so nothing one test left behind reaches the next. They keep the
// program folder that the test program set up, which is where the data files lie.
#include "core/services.h"

#include <memory>

class TFreshServices
{
public:
    void Renew()
    {
        const QString programFolder = Services().ProgramFolder;
        m_services.reset();
        m_services = std::make_unique<TServices>();
        m_services->ProgramFolder = programFolder;
    }
    void End() { m_services.reset(); }

private:
    std::unique_ptr<TServices> m_services;
};
