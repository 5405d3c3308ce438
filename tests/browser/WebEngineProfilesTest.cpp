// The user-agent header carrying the program's token.
#include "browser/WebEngineProfiles.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

TEST(UserAgent, TokenGoesInsideTheFirstGroup)
{
    using webengine::insertUserAgentToken;
    EXPECT_EQ(insertUserAgentToken("Mozilla/5.0 (X11; Linux x86_64) Chrome/102", QStringLiteral("Brivo 1.0")),
              QByteArray("Mozilla/5.0 (X11; Linux x86_64; Brivo 1.0) Chrome/102"));
    EXPECT_EQ(insertUserAgentToken("Agent/1", QStringLiteral("T")), QByteArray("Agent/1 (T)"));
    EXPECT_EQ(insertUserAgentToken("Agent/1 ()", QStringLiteral("T")), QByteArray("Agent/1 (T)"));
    EXPECT_EQ(insertUserAgentToken("A (x)", QString()), QByteArray("A (x)"));
    // no header injection, nothing lost from a wide token
    EXPECT_EQ(insertUserAgentToken("A (x)", QStringLiteral("T\r\nX-Evil: 1")), QByteArray("A (x; TX-Evil: 1)"));
    EXPECT_EQ(insertUserAgentToken("A (x)", QStringLiteral("é")), QByteArray("A (x; %C3%A9)"));
}
