#include "document/win/program_document.h"

#include <memory>

#include "base/win/program.h"

namespace {

std::unique_ptr<Document>& Held() {
    static std::unique_ptr<Document> held;
    return held;
}

void Renew() {
    Held() = std::make_unique<Document>();
    Held()->SetOutOfMemoryReport(ReportOutOfMemory);
}

}  // namespace

Document& ProgramDocument() {
    if (!Held()) Renew();
    return *Held();
}

void RenewProgramDocument() { Renew(); }
