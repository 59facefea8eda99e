#include "UpdateTestSupport.h"

using namespace update_test;

namespace
{
    struct NoticeCase
    {
        const char* name;
        std::string body;
        std::string status;
        bool announcesNewVersion;
    };

    void PrintTo (const NoticeCase& c, std::ostream* os) { *os << c.name; }

    class UpdateNoticeTest : public UpdateNoticeFixture,
                             public testing::WithParamInterface<NoticeCase> {};
}

// Versions compare as the integers their digits form once the dots are
// gone, against 250 for this build; the status line plays no part.
TEST_P (UpdateNoticeTest, ShowsTheFetchedTextOnlyWhenItNamesALaterVersion)
{
    const auto& c = GetParam();
    LoopbackHttpServer server (LoopbackHttpServer::makeReply (c.body, true, c.status), LoopbackHttpServer::Behaviour::answer);

    const auto line = lineAfterCheck (server.getVersionFileUrl());

    EXPECT_EQ (line, c.announcesNewVersion ? noticeFor (c.body) : composedLine());
    EXPECT_EQ (server.getRequests().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P (
    UpdateNotice, UpdateNoticeTest,
    testing::Values (NoticeCase { "PatchLevelAbove", "2.5.1", "200 OK", true },
                     NoticeCase { "SameVersionWithLineEnd", "2.5.0\n", "200 OK", false },
                     NoticeCase { "TwoDigitMinor", "2.10.0", "200 OK", true },
                     NoticeCase { "TwoDigitMinorWithoutPatch", "2.10", "200 OK", false },
                     NoticeCase { "ShortMajor", "3.0", "200 OK", false },
                     NoticeCase { "LineEndIsKept", "2.6.0\n", "200 OK", true },
                     NoticeCase { "LeadingSpacesAreKept", "  2.6.0", "200 OK", true },
                     NoticeCase { "ErrorBodyStartingWithDigits", "404 Not Found", "404 Not Found", true },
                     NoticeCase { "HtmlPage", "<!DOCTYPE html>\n<html><body><h1>3.0.0</h1></body></html>\n", "200 OK", false },
                     NoticeCase { "EmptyBody", "", "200 OK", false }),
    [] (const testing::TestParamInfo<NoticeCase>& info) { return std::string (info.param.name); });

//==============================================================================
namespace
{
    std::string nineThenZeros (size_t length)
    {
        return "9" + std::string (length - 1, '0');
    }

    struct ReplyShapeCase
    {
        const char* name;
        std::string reply;
        std::string expectedFetchedText;   // empty: no notice
    };

    void PrintTo (const ReplyShapeCase& c, std::ostream* os) { *os << c.name; }

    class ReplyShapeTest : public UpdateNoticeFixture,
                           public testing::WithParamInterface<ReplyShapeCase> {};

    constexpr size_t bufferSize = (size_t) UpdateChecker::replyBufferSize;
}

// Every body here would announce a newer version if it were read whole.
TEST_P (ReplyShapeTest, ReadsAtMostOneBufferAndRejectsIncompleteReplies)
{
    const auto& c = GetParam();
    LoopbackHttpServer server (c.reply, LoopbackHttpServer::Behaviour::answer);

    const auto line = lineAfterCheck (server.getVersionFileUrl());

    EXPECT_EQ (line, c.expectedFetchedText.empty() ? composedLine() : noticeFor (c.expectedFetchedText));
}

INSTANTIATE_TEST_SUITE_P (
    UpdateNotice, ReplyShapeTest,
    testing::Values (ReplyShapeCase { "WithoutLength", LoopbackHttpServer::makeReply ("2.6.0", false), "2.6.0" },
                     ReplyShapeCase { "ShorterThanAnnounced", LoopbackHttpServer::makeShortReply ("2.6.0", 10), "" },
                     ReplyShapeCase { "FillsTheBufferExactly", LoopbackHttpServer::makeReply (nineThenZeros (bufferSize)),
                                      nineThenZeros (bufferSize) },
                     ReplyShapeCase { "OneByteTooLongWithLength", LoopbackHttpServer::makeReply (nineThenZeros (bufferSize + 1)), "" },
                     ReplyShapeCase { "FarTooLongWithLength", LoopbackHttpServer::makeReply (nineThenZeros (40000)), "" },
                     ReplyShapeCase { "FarTooLongWithoutLength", LoopbackHttpServer::makeReply (nineThenZeros (40000), false),
                                      nineThenZeros (bufferSize) },
                     ReplyShapeCase { "ZeroByteEndsTheText", LoopbackHttpServer::makeReply (std::string ("2.6.0\0" "3.0", 9)), "2.6.0" },
                     ReplyShapeCase { "ZeroByteFirst", LoopbackHttpServer::makeReply (std::string ("\0" "2.6.0", 6)), "" }),
    [] (const testing::TestParamInfo<ReplyShapeCase>& info) { return std::string (info.param.name); });

//==============================================================================
TEST_F (UpdateNoticeFixture, AsksWithAnEmptyPostForTheVersionFile)
{
    LoopbackHttpServer server (LoopbackHttpServer::makeReply ("2.5.0"), LoopbackHttpServer::Behaviour::answer);

    lineAfterCheck (server.getVersionFileUrl());

    const auto requests = server.getRequests();
    ASSERT_EQ (requests.size(), 1u);
    EXPECT_EQ (requests[0].method, "POST");
    EXPECT_EQ (requests[0].target, "/vesperline/version.txt");
    EXPECT_TRUE (requests[0].body.empty());
    EXPECT_TRUE (juce::String (requests[0].headers).containsIgnoreCase ("Content-Length: 0")) << requests[0].headers;
}

TEST_F (UpdateNoticeFixture, ClosedPortLeavesTheLineAsComposed)
{
    EXPECT_EQ (lineAfterCheck (closedPortUrl()), composedLine());
}
