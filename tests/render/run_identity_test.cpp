// Whose rights a redirected output file is opened with: never a service
// account's own. Wine gives no process a service account's token, so the rule
// is tested on token facts, and the reading of the facts on this process's
// real tokens (an ordinary account, with and without impersonation).
#include <gtest/gtest.h>

#include "platform/raii.h"
#include "render/run_identity.h"

namespace {

TokenFacts Facts(IdentityKind process, bool impersonating = false,
                 SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous,
                 IdentityKind impersonated = IdentityKind::Account) {
    TokenFacts facts;
    facts.process = process;
    facts.threadImpersonating = impersonating;
    facts.impersonationLevel = level;
    facts.impersonated = impersonated;
    return facts;
}

}  // namespace

TEST(RunIdentity, AServiceAccountOpensOnlyWhileActingAsItsClient) {
    for (IdentityKind service : {IdentityKind::LocalSystem, IdentityKind::LocalService, IdentityKind::NetworkService}) {
        const int kind = static_cast<int>(service);
        EXPECT_FALSE(MayOpenOutputFile(Facts(service))) << kind;
        EXPECT_TRUE(MayOpenOutputFile(Facts(service, true, SecurityImpersonation))) << kind;
        EXPECT_TRUE(MayOpenOutputFile(Facts(service, true, SecurityDelegation))) << kind;
        // Levels at which the client's identity opens nothing.
        EXPECT_FALSE(MayOpenOutputFile(Facts(service, true, SecurityIdentification))) << kind;
        EXPECT_FALSE(MayOpenOutputFile(Facts(service, true, SecurityAnonymous))) << kind;
        // Impersonating a service account is no better than being one.
        EXPECT_FALSE(MayOpenOutputFile(Facts(service, true, SecurityImpersonation, service))) << kind;
        EXPECT_FALSE(MayOpenOutputFile(Facts(IdentityKind::Account, true, SecurityImpersonation, service))) << kind;
    }
    EXPECT_TRUE(MayOpenOutputFile(Facts(IdentityKind::Account)));
    EXPECT_TRUE(MayOpenOutputFile(Facts(IdentityKind::Account, true, SecurityImpersonation)));
    EXPECT_FALSE(MayOpenOutputFile(Facts(IdentityKind::Account, true, SecurityIdentification)));
}

TEST(RunIdentity, ReadsThisProcessAndItsImpersonatingThread) {
    TokenFacts facts = Facts(IdentityKind::LocalSystem, true, SecurityDelegation, IdentityKind::LocalSystem);
    ASSERT_TRUE(ReadTokenFacts(&facts));
    EXPECT_EQ(facts.process, IdentityKind::Account);
    EXPECT_FALSE(facts.threadImpersonating);
    EXPECT_TRUE(CallingThreadMayOpenOutputFile());

    for (SECURITY_IMPERSONATION_LEVEL level : {SecurityIdentification, SecurityImpersonation}) {
        ASSERT_TRUE(ImpersonateSelf(level)) << level;
        auto revert = scope_exit([] { RevertToSelf(); });
        ASSERT_TRUE(ReadTokenFacts(&facts)) << level;
        EXPECT_EQ(facts.process, IdentityKind::Account);
        EXPECT_TRUE(facts.threadImpersonating);
        EXPECT_EQ(facts.impersonationLevel, level);
        EXPECT_EQ(facts.impersonated, IdentityKind::Account);
        EXPECT_EQ(CallingThreadMayOpenOutputFile(), level == SecurityImpersonation) << level;
    }
}
