// Whose rights a redirected output file would be written with. The renderer
// runs inside the application that prints, but also inside the spooler and
// its isolation host as a service account; a path from the job's settings
// must never be opened with such an account's rights.
#pragma once

#include <windows.h>

enum class IdentityKind {
    Account,  // any identity other than the three below
    LocalSystem,
    LocalService,
    NetworkService,
};

// The facts of the calling thread's tokens that decide the question.
struct TokenFacts {
    IdentityKind process = IdentityKind::Account;
    bool threadImpersonating = false;
    SECURITY_IMPERSONATION_LEVEL impersonationLevel = SecurityAnonymous;
    IdentityKind impersonated = IdentityKind::Account;  // when threadImpersonating
};

// Reads the facts from the process token and the thread's impersonation
// token; false when they cannot be established.
bool ReadTokenFacts(TokenFacts *facts);

// A file may be opened when the identity the open would run as is not a
// service account: the thread's when it impersonates, at a level that lets it
// act as its client, else the process's. An identification-level token opens
// nothing as its client, so it does not count as impersonating.
bool MayOpenOutputFile(const TokenFacts &facts);

// Both together, on the calling thread.
bool CallingThreadMayOpenOutputFile();
