#pragma once
// The library's own secret agent on the system bus. Every secret of the connections the library
// makes is agent-owned: NetworkManager keeps none of them in a file and asks the agents of the
// connection's user for them; this one answers from memory, first among them since the request
// comes from this process. A request for new secrets means the ones given were refused: the
// agent then ends the request as cancelled, so no other agent (no desktop dialog) is asked, and
// remembers the refusal for the text that follows.

#include "GObjectPtr.h"

#include <gio/gio.h>
// libnm's error domains are declared without C linkage; first included here, they get it (the
// agent answers with NM_SECRET_AGENT_ERROR). NetworkManager.h leaves the agent's header out.
extern "C" {
#include <nm-errors.h>
}
#include <NetworkManager.h>
#include <nm-secret-agent-old.h>

#include <set>
#include <string>

namespace tembrel::nm {

struct GVariantUnref {
    void operator()(GVariant* v) const {
        if (v != nullptr) g_variant_unref(v);
    }
};
using GVariantPtr = std::unique_ptr<GVariant, GVariantUnref>;

class SecretAgent {
public:
    // Made, used and ended on the GLib thread of `bus`'s client only. Registers at once and
    // again whenever NetworkManager comes back; problem() says why it could not be made.
    explicit SecretAgent(GDBusConnection* bus);
    ~SecretAgent();
    SecretAgent(const SecretAgent&) = delete;
    SecretAgent& operator=(const SecretAgent&) = delete;

    const std::string& problem() const { return problem_; }
    bool registered() const;

    // The secrets (NM_VARIANT_TYPE_CONNECTION) of the connection `uuid`, the only ones answered
    // from now on; those kept before are dropped.
    void keep(const std::string& uuid, GVariant* secrets);
    // Drops the secrets kept (the connection is gone or given up).
    void forget();
    // NetworkManager asked for new secrets of `uuid` after the ones given.
    bool refused(const std::string& uuid) const;

    // What NetworkManager's request gets: the secrets (a new reference), or null and `error`.
    GVariant* answer(const char* uuid, NMSecretAgentGetSecretsFlags flags, GError** error);

private:
    std::string problem_;
    GObjectPtr<NMSecretAgentOld> agent_;
    std::string uuid_;
    GVariantPtr secrets_;
    std::set<std::string> refused_;
    std::set<std::string> made_;  // every connection this agent has answered for
};

}  // namespace tembrel::nm
