#include "AuthorizationShell.h"

namespace {
// Stands in until a program installs the real services: nothing is authorized.
class RefusingShell : public AuthorizationShell {
public:
    void Assign(qint64) override {}
    bool Run(const QString&, bool, const QStringList&) override { return false; }
    qint64 Retrieve() override { return 0; }
    QString Result() const override { return {}; }
};

class RefusingServices : public AuthorizationServices {
public:
    std::unique_ptr<AuthorizationShell> newShell() override { return std::make_unique<RefusingShell>(); }
    void freeAuthorization(qint64) override {}
};

RefusingServices g_refusing;
AuthorizationServices* g_services = &g_refusing;
}  // namespace

namespace Authorization {
AuthorizationServices& services() { return *g_services; }
void setServices(AuthorizationServices* s) { g_services = s ? s : &g_refusing; }
std::unique_ptr<AuthorizationShell> newShell() { return g_services->newShell(); }
}  // namespace Authorization
