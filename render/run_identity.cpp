#include "render/run_identity.h"

#include "platform/raii.h"

namespace {

bool IsServiceAccount(IdentityKind kind) { return kind != IdentityKind::Account; }

bool ReadIdentityKind(HANDLE token, IdentityKind *kind) {
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } info;
    DWORD needed = 0;
    if (!GetTokenInformation(token, TokenUser, &info, sizeof(info), &needed)) return false;
    PSID sid = info.user.User.Sid;
    if (IsWellKnownSid(sid, WinLocalSystemSid))
        *kind = IdentityKind::LocalSystem;
    else if (IsWellKnownSid(sid, WinLocalServiceSid))
        *kind = IdentityKind::LocalService;
    else if (IsWellKnownSid(sid, WinNetworkServiceSid))
        *kind = IdentityKind::NetworkService;
    else
        *kind = IdentityKind::Account;
    return true;
}

}  // namespace

bool ReadTokenFacts(TokenFacts *facts) {
    *facts = TokenFacts{};
    unique_handle process;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, process.put())) return false;
    if (!ReadIdentityKind(process.get(), &facts->process)) return false;

    // Opened as the process: a thread that only identifies its client could
    // not open its own token.
    unique_handle thread;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, thread.put()))
        return GetLastError() == ERROR_NO_TOKEN;
    facts->threadImpersonating = true;
    DWORD needed = 0;
    if (!GetTokenInformation(thread.get(), TokenImpersonationLevel, &facts->impersonationLevel,
                             sizeof(facts->impersonationLevel), &needed))
        return false;
    return ReadIdentityKind(thread.get(), &facts->impersonated);
}

bool MayOpenOutputFile(const TokenFacts &facts) {
    if (!facts.threadImpersonating) return !IsServiceAccount(facts.process);
    return facts.impersonationLevel >= SecurityImpersonation && !IsServiceAccount(facts.impersonated);
}

bool CallingThreadMayOpenOutputFile() {
    TokenFacts facts;
    return ReadTokenFacts(&facts) && MayOpenOutputFile(facts);
}
