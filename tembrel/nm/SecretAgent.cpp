#include "SecretAgent.h"

#include <unistd.h>

namespace tembrel::nm {

namespace {

struct AgentObject {
    NMSecretAgentOld parent;
    SecretAgent* owner;
};
struct AgentObjectClass {
    NMSecretAgentOldClass parent;
};

void GetSecrets(NMSecretAgentOld* agent, NMConnection* connection, const char*, const char*, const char**,
                NMSecretAgentGetSecretsFlags flags, NMSecretAgentOldGetSecretsFunc callback, gpointer data) {
    SecretAgent* owner = reinterpret_cast<AgentObject*>(agent)->owner;
    GError* error = nullptr;
    GVariant* secrets = nullptr;
    if (owner != nullptr) {
        secrets = owner->answer(nm_connection_get_uuid(connection), flags, &error);
    } else {
        error = g_error_new_literal(NM_SECRET_AGENT_ERROR, NM_SECRET_AGENT_ERROR_NO_SECRETS, "not this agent's");
    }
    callback(agent, connection, secrets, error, data);
    if (secrets != nullptr) g_variant_unref(secrets);
    g_clear_error(&error);
}

// Answered at once: nothing to cancel.
void CancelGetSecrets(NMSecretAgentOld*, const char*, const char*) {}

// The secrets never leave memory: saving keeps nothing more, deleting has nothing to remove.
void SaveSecrets(NMSecretAgentOld* agent, NMConnection* connection, const char*,
                 NMSecretAgentOldSaveSecretsFunc callback, gpointer data) {
    callback(agent, connection, nullptr, data);
}
void DeleteSecrets(NMSecretAgentOld* agent, NMConnection* connection, const char*,
                   NMSecretAgentOldDeleteSecretsFunc callback, gpointer data) {
    callback(agent, connection, nullptr, data);
}

void InitAgentClass(gpointer klass, gpointer) {
    auto* c = static_cast<NMSecretAgentOldClass*>(klass);
    c->get_secrets = GetSecrets;
    c->cancel_get_secrets = CancelGetSecrets;
    c->save_secrets = SaveSecrets;
    c->delete_secrets = DeleteSecrets;
}

void InitAgent(GTypeInstance* instance, gpointer) { reinterpret_cast<AgentObject*>(instance)->owner = nullptr; }

GType AgentType() {
    static const GType type = [] {
        GTypeInfo info{};
        info.class_size = sizeof(AgentObjectClass);
        info.class_init = InitAgentClass;
        info.instance_size = sizeof(AgentObject);
        info.instance_init = InitAgent;
        return g_type_register_static(NM_TYPE_SECRET_AGENT_OLD, "TembrelSecretAgent", &info, GTypeFlags(0));
    }();
    return type;
}

}  // namespace

SecretAgent::SecretAgent(GDBusConnection* bus) {
    // One agent per identifier and user: the process id keeps two utilities apart.
    const std::string identifier = "org.tembrel.nm.p" + std::to_string(::getpid());
    GError* error = nullptr;
    agent_.reset(static_cast<NMSecretAgentOld*>(g_initable_new(
        AgentType(), nullptr, &error, NM_SECRET_AGENT_OLD_IDENTIFIER, identifier.c_str(),
        NM_SECRET_AGENT_OLD_AUTO_REGISTER, TRUE, NM_SECRET_AGENT_OLD_CAPABILITIES, NM_SECRET_AGENT_CAPABILITY_NONE,
        NM_SECRET_AGENT_OLD_DBUS_CONNECTION, bus, nullptr)));
    if (!agent_) {
        GErrorPtr owned(error);
        problem_ = owned ? owned->message : "no secret agent";
        return;
    }
    reinterpret_cast<AgentObject*>(agent_.get())->owner = this;
}

SecretAgent::~SecretAgent() {
    if (!agent_) return;
    reinterpret_cast<AgentObject*>(agent_.get())->owner = nullptr;
    // Unregisters and takes the agent's object off the bus.
    nm_secret_agent_old_destroy(agent_.get());
}

bool SecretAgent::registered() const { return agent_ && nm_secret_agent_old_get_registered(agent_.get()); }

void SecretAgent::keep(const std::string& uuid, GVariant* secrets) {
    uuid_ = uuid;
    secrets_.reset(secrets != nullptr ? g_variant_ref_sink(secrets) : nullptr);
    made_.insert(uuid);
}

void SecretAgent::forget() {
    uuid_.clear();
    secrets_.reset();
}

bool SecretAgent::refused(const std::string& uuid) const { return refused_.count(uuid) == 1; }

GVariant* SecretAgent::answer(const char* uuid, NMSecretAgentGetSecretsFlags flags, GError** error) {
    if (uuid == nullptr || made_.count(uuid) == 0) {
        // Another program's connection: its own agents answer.
        g_set_error_literal(error, NM_SECRET_AGENT_ERROR, NM_SECRET_AGENT_ERROR_NO_SECRETS,
                            "Not a connection of this utility");
        return nullptr;
    }
    if ((flags & NM_SECRET_AGENT_GET_SECRETS_FLAG_REQUEST_NEW) != 0 || uuid_ != uuid || !secrets_) {
        // Asked again: the secrets given were refused (or the utility gave the connection up).
        // Cancelled, the request ends here rather than going on to the next agent.
        if (uuid_ == uuid) refused_.insert(uuid);
        g_set_error_literal(error, NM_SECRET_AGENT_ERROR, NM_SECRET_AGENT_ERROR_USER_CANCELED,
                            "The secrets were refused");
        return nullptr;
    }
    return g_variant_ref(secrets_.get());
}

}  // namespace tembrel::nm
