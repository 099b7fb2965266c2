#include "vkapi/TVKAPIAuthConfirmResponseParserUnit.h"
#include "vkapi/TVKAPIAuthSignupResponseParserUnit.h"
#include "vkapi/TVKAPIUsersSelectResponseParserUnit.h"

#include <gtest/gtest.h>

namespace {

// An error answer as VK writes it, for Method.
std::string Error(int Code, const std::string &Method, const std::string &Extra = {})
{
    return R"({"error":{"error_code":)" + std::to_string(Code) + R"(,"error_msg":"Text )" + std::to_string(Code)
        + R"(","request_params":[{"key":"oauth","value":"1"},{"key":"method","value":")" + Method + R"("}])" + Extra
        + "}}";
}

template<class TParser> std::unique_ptr<TAPIResponseParserResult> Parse(const std::string &Text)
{
    TParser parser(QString::fromStdString(Text));
    parser.Start(true);
    return CloneOf(parser.Result());
}

} // namespace

TEST(VKAPIResponseParser, MapsErrorsByCodeAndMethod)
{
    const struct
    {
        int Error;
        const char *Method;
        std::uint8_t Code;
    } cases[] = {
        {5, "users.get", vkTokenRefused},
        {7, "audio.get", vkTokenRefused},
        {5, "auth.signup", vkAPIError},
        {14, "users.get", vkCaptchaNeeded},
        {14, "auth.signup", vkCaptchaNeeded},
        {1004, "auth.signup", vkPhoneUsed},
        {1004, "auth.checkPhone", vkPhoneUsed},
        {1004, "auth.confirm", vkAPIError},
        {1000, "auth.checkPhone", vkPhoneInvalid},
        {100, "auth.checkPhone", vkPhoneInvalid},
        {100, "auth.signup", vkAPIError},
        {1110, "auth.confirm", vkWrongCode},
        {1110, "auth.signup", vkAPIError},
        {1111, "auth.confirm", vkSignupExpired},
        {9, "auth.confirm", vkAPIError},
        {113, "users.get", vkAPIError},
    };
    for (const auto &c : cases) {
        const std::string extra
            = c.Error == 14 ? R"(,"captcha_sid":"77","captcha_img":"http://h/captcha.php?sid=77")" : "";
        const auto result = Parse<TVKAPIResponseParser>(Error(c.Error, c.Method, extra));
        const auto &vk = static_cast<const TVKAPIResponseParserResult &>(*result);
        EXPECT_EQ(vk.ResultCode, c.Code) << c.Error << " " << c.Method;
        EXPECT_EQ(vk.APIErrorMessage, QStringLiteral("Text %1").arg(c.Error));
        EXPECT_EQ(vk.APIErrorCode, 0);
        EXPECT_EQ(vk.CaptchaSID, c.Error == 14 ? QStringLiteral("77") : QString());
        EXPECT_EQ(vk.CaptchaURL, c.Error == 14 ? QStringLiteral("http://h/captcha.php?sid=77") : QString());
    }
}

TEST(VKAPIResponseParser, AnswersThatCannotBeReadAreCodeOne)
{
    const char *cases[] = {
        "",
        "<html>502 Bad Gateway</html>",
        R"({"response":)",
        R"([{"response":1}])",
        R"("response")",
        // Neither member: nothing to go on, so no success either.
        R"({"result":{"sid":"x"}})",
        R"({})",
        R"({"error":"Too many requests"})",
        R"({"error":{"error_code":9,"error_msg":"Flood"}})",
        R"({"error":{"error_code":"nine","error_msg":"Flood","request_params":[]}})",
        R"({"error":{"error_code":14,"error_msg":"Captcha needed","request_params":[]}})",
        R"({"error":{"error_code":9,"error_msg":"Flood","request_params":[7]}})",
    };
    for (const char *text : cases) {
        const auto result = Parse<TVKAPIResponseParser>(text);
        EXPECT_EQ(result->ResultCode, vkParseFailed) << text;
        EXPECT_FALSE(result->ErrorMessage.isEmpty()) << text;
    }
}

TEST(VKAPIResponseParser, FindsResponseAndErrorByNameWhereverTheyStand)
{
    // The method comes late among the parameters, "error" after another member.
    const auto error = Parse<TVKAPIResponseParser>(
        R"({"meta":1,"error":{"request_params":[{"key":"v","value":"5.37"},{"key":"method","value":"auth.checkPhone"}],)"
        R"("error_msg":"Used","error_code":1004}})");
    EXPECT_EQ(error->ResultCode, vkPhoneUsed);
    const auto success = Parse<TVKAPIResponseParser>(R"({"meta":1,"response":1})");
    EXPECT_EQ(success->ResultCode, vkOK);
}

TEST(VKAPIResponseParser, ReadsUsersSignupAndConfirmation)
{
    const auto users = Parse<TVKAPIUsersSelectResponseParser>(
        R"({"response":[{"id":1002,"first_name":"Анна","last_name":"Смирнова"},{"id":"7","first_name":"B","last_name":"C"}]})");
    ASSERT_EQ(users->ResultCode, vkOK) << users->ErrorMessage.toStdString();
    const auto &list = static_cast<const TVKAPIUsersSelectResponseResult &>(*users).Users;
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].ID, 1002);
    EXPECT_EQ(list[0].FirstName, QStringLiteral("Анна"));
    EXPECT_EQ(list[0].LastName, QStringLiteral("Смирнова"));
    EXPECT_EQ(list[1].ID, 7);

    const auto none = Parse<TVKAPIUsersSelectResponseParser>(R"({"response":[]})");
    EXPECT_EQ(none->ResultCode, vkOK);
    EXPECT_TRUE(static_cast<const TVKAPIUsersSelectResponseResult &>(*none).Users.isEmpty());
    EXPECT_EQ(Parse<TVKAPIUsersSelectResponseParser>(R"({"response":{"id":1}})")->ResultCode, vkParseFailed);
    EXPECT_EQ(Parse<TVKAPIUsersSelectResponseParser>(R"({"response":[{"id":1,"first_name":"A"}]})")->ResultCode,
        vkParseFailed);

    const auto signup = Parse<TVKAPIAuthSignupResponseParser>(R"({"response":{"sid":"abc"}})");
    EXPECT_EQ(signup->ResultCode, vkOK);
    EXPECT_EQ(static_cast<const TVKAPIAuthSignupResponseParserResult &>(*signup).SID, QStringLiteral("abc"));
    // An error is classified the same way by every parser.
    EXPECT_EQ(Parse<TVKAPIAuthSignupResponseParser>(Error(1004, "auth.signup"))->ResultCode, vkPhoneUsed);

    const struct
    {
        const char *Text;
        std::uint8_t Code;
        bool Success;
        int UID;
    } confirmations[] = {
        {R"({"response":{"success":1,"uid":5001}})", vkOK, true, 5001},
        {R"({"response":{"success":1,"uid":"5002"}})", vkOK, true, 5002},
        {R"({"response":{"success":0}})", vkOK, false, 0},
        {R"({"response":{"success":1,"uid":"u5003"}})", vkParseFailed, false, 0},
        {R"({"response":{"success":1,"uid":50.5}})", vkParseFailed, false, 0},
        {R"({"response":{"uid":1}})", vkParseFailed, false, 0},
    };
    for (const auto &c : confirmations) {
        const auto result = Parse<TVKAPIAuthConfirmResponseParser>(c.Text);
        const auto &confirm = static_cast<const TVKAPIAuthConfirmResponseParserResult &>(*result);
        EXPECT_EQ(confirm.ResultCode, c.Code) << c.Text;
        EXPECT_EQ(confirm.Success, c.Success) << c.Text;
        EXPECT_EQ(confirm.UID, c.UID) << c.Text;
    }
}
