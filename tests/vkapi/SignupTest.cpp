#include "vkapi/VKAPITestSupport.h"

#include "support/TestEnvironment.h"
#include "support/TestHTTPServer.h"
#include "vkapi/TVKAPIAuthManagerUnit.h"
#include "vkapi/TVKAPICaptchaManagerUnit.h"
#include "vkapi/TVKAPISignupDataUnit.h"

#include <QJsonDocument>

#include <string>

namespace {

const QString Password = QStringLiteral("river-Стол-42");
const QString Code = QStringLiteral("24680");

// The sign-up model of a VK API manager against the stand-in's relay; every
// event is written down as a letter or a word.
class SignupTest : public VKAPIStandinTest
{
protected:
    void SetUp() override
    {
        VKAPIStandinTest::SetUp();
        TVKAPISignupData &data = Data();
        data.OnPhoneWarning = Note("phone!");
        data.OnPasswordWarning = Note("password!");
        data.OnPasswordConfirmationWarning = Note("confirmation!");
        data.OnAuthCodeWarning = Note("code!");
        data.OnPasswordStateChanged
            = [this](TObject *) { FEvents << QStringLiteral("pw%1").arg(Data().PasswordState()); };
        data.OnPasswordConfirmationStateChanged
            = [this](TObject *) { FEvents << QStringLiteral("pc%1").arg(Data().PasswordConfirmationState()); };
        data.OnStateChanged = [this](TObject *) { FStates.push_back(Data().State()); };
        FManager->RequestManager().SetOnRequestEnd([this](TObject *) { ++FEnds; });
        FManager->CaptchaManager().OnCaptchaKeyRequest = [this](TObject *) {
            FManager->RequestManager().InputCaptchaKey(
                FManager->CaptchaManager().CaptchaSID(), QStringLiteral("38516"));
        };
    }

    TVKAPISignupData &Data() const { return FManager->AuthManager().SignupData(); }
    TVKAPISignupFormData &Form() const { return Data().SignupFormData(); }
    TNotifyEvent Note(const char *Event)
    {
        return [this, Event](TObject *) { FEvents << QLatin1String(Event); };
    }

    // Types a new phone number and waits for its check.
    std::uint8_t CheckPhone(const QString &Phone)
    {
        const int ends = FEnds;
        Form().SetPhone(Phone);
        EXPECT_TRUE(TestEnvironment::WaitFor([&] { return FEnds > ends; })) << Phone.toStdString();
        return Data().PhoneCheckData().State();
    }

    void FillForm(const QString &Phone)
    {
        Form().FirstName = QStringLiteral("Мария");
        Form().LastName = QStringLiteral("Test");
        Form().Sex = 1;
        ASSERT_EQ(CheckPhone(Phone), mdsPhoneValid);
        Form().SetPassword(Password);
        Form().SetPasswordConfirmation(Password);
    }

    void AwaitAnswer()
    {
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Data().State() != mdsLoading; }));
    }

    void SignUp(const QString &Phone)
    {
        FillForm(Phone);
        Data().Signup();
        EXPECT_EQ(Data().State(), mdsLoading);
        AwaitAnswer();
        ASSERT_EQ(Data().Stage(), ssConfirm);
        ASSERT_EQ(Data().State(), mdsReady);
    }

    QStringList FEvents;
    std::vector<std::uint8_t> FStates;
    int FEnds = 0;
};

} // namespace

TEST_F(SignupTest, JudgesPasswordsAndRefusesASignupWithoutSendingIt)
{
    const struct
    {
        const char *Password;
        const char *Confirmation;
        std::uint8_t PasswordState;
        std::uint8_t ConfirmationState;
    } cases[] = {
        {"12345", "", psTooShort, pcsNotJudged},
        {"123456", "", psAcceptable, pcsNotJudged},
        {"", "", psEmpty, pcsNotJudged},
        {"", "abcdef", psEmpty, pcsDifferent}, // the confirmation first
        {"abcdef", "abcdef", psAcceptable, pcsEqual},
        {"abcdeF", "abcdef", psAcceptable, pcsDifferent},
    };
    for (const auto &c : cases) {
        Form().SetPasswordConfirmation(QString());
        Form().SetPassword(QString::fromUtf8(c.Password));
        Form().SetPasswordConfirmation(QString::fromUtf8(c.Confirmation));
        if (!*c.Confirmation) {
            // Clearing the confirmation does not judge it: start each case afresh.
            EXPECT_EQ(Data().PasswordState(), c.PasswordState) << c.Password;
            continue;
        }
        // Typing the password afterwards judges the confirmation again.
        Form().SetPassword(QString::fromUtf8(c.Password) + u'x');
        Form().SetPassword(QString::fromUtf8(c.Password));
        EXPECT_EQ(Data().PasswordState(), c.PasswordState) << c.Password;
        EXPECT_EQ(Data().PasswordConfirmationState(), c.ConfirmationState) << c.Password << "/" << c.Confirmation;
    }

    // The same value again is no change.
    FEvents.clear();
    Form().SetPassword(QStringLiteral("abcdeF"));
    EXPECT_TRUE(FEvents.isEmpty());

    // No phone typed, a short password: three refusals, in order, and nothing sent.
    Form().SetPassword(QStringLiteral("short"));
    FEvents.clear();
    Data().Signup();
    EXPECT_EQ(
        FEvents, QStringList({QStringLiteral("phone!"), QStringLiteral("password!"), QStringLiteral("confirmation!")}));
    EXPECT_EQ(Data().PhoneCheckData().State(), mdsCleared);
    EXPECT_EQ(Data().State(), mdsReady);
    // Neither Confirm nor a repeated code does anything in the sign-up stage.
    Data().Confirm();
    Data().RepeatCode();
    Data().NewSignup();
    EXPECT_EQ(Data().Stage(), ssSignup);
    EXPECT_TRUE(Served(QStringLiteral("relay"), QString()).empty());
}

TEST_F(SignupTest, ChecksEachNewPhoneNumberOnce)
{
    const struct
    {
        const char *Phone;
        std::uint8_t State;
    } cases[] = {
        {"+79990000009", mdsServiceError}, // flood control
        {"+79990000123", mdsPhoneValid},
        {"+79990000001", mdsPhoneUsed},
        {"12345", mdsPhoneIncorrect},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CheckPhone(QString::fromUtf8(c.Phone)), c.State) << c.Phone;

    // A judged number again, or none: nothing is sent and the state stays.
    Form().SetPhone(QString());
    Form().SetPhone(QStringLiteral("12345"));
    Form().SetPhone(QStringLiteral("12345"));
    EXPECT_EQ(Data().PhoneCheckData().State(), mdsPhoneIncorrect);

    // A check that failed judged nothing: the same number typed again is
    // checked again (once it never was).
    EXPECT_EQ(CheckPhone(QStringLiteral("+79990000009")), mdsServiceError);
    Form().SetPhone(QString());
    EXPECT_EQ(CheckPhone(QStringLiteral("+79990000009")), mdsServiceError);
    {
        const TScopedEnvironment gone(
            "MARVANE_SIGNUP_RELAY_URL", QStringLiteral("http://127.0.0.1:%1").arg(UnusedLoopbackPort()));
        EXPECT_EQ(CheckPhone(QStringLiteral("+79990000124")), mdsRequestFailed);
    }
    Form().SetPhone(QString());
    EXPECT_EQ(CheckPhone(QStringLiteral("+79990000124")), mdsPhoneValid);
    const auto served = Served(QStringLiteral("relay"), QStringLiteral("auth.checkPhone"));
    ASSERT_EQ(served.size(), std::size(cases) + 3);
    for (const QJsonObject &query : served) {
        EXPECT_EQ(query.value(u"client_id").toString(), QStringLiteral("3566047"));
        EXPECT_EQ(query.value(u"v").toString(), QStringLiteral("5.37"));
    }
    // A refused number holds the sign-up back.
    EXPECT_EQ(CheckPhone(QStringLiteral("+79990000001")), mdsPhoneUsed);
    Form().SetPassword(Password);
    Form().SetPasswordConfirmation(Password);
    FEvents.clear();
    Data().Signup();
    EXPECT_EQ(FEvents, QStringList {QStringLiteral("phone!")});
}

TEST_F(SignupTest, SignsUpAsksTheCodeAgainByCallAndConfirms)
{
    SignUp(QStringLiteral("+79990000200"));
    const QString sid = Data().SID();
    EXPECT_FALSE(sid.isEmpty());
    EXPECT_EQ(FStates, (std::vector<std::uint8_t> {mdsLoading, mdsLoaded, mdsReady}));

    Data().ConfirmFormData().Voice = true;
    Data().RepeatCode();
    EXPECT_EQ(Data().RepeatCodeData().State(), mdsLoading);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Data().RepeatCodeData().State() != mdsLoading; }));
    EXPECT_EQ(Data().RepeatCodeData().State(), mdsLoaded);

    // An empty code is refused once, without a request.
    FEvents.clear();
    Data().Confirm();
    EXPECT_EQ(FEvents, QStringList {QStringLiteral("code!")});
    EXPECT_EQ(Data().AuthCodeState(), acsEmpty);

    Data().ConfirmFormData().SetAuthCode(QStringLiteral("11111"));
    Data().Confirm();
    AwaitAnswer();
    EXPECT_EQ(Data().State(), mdsIncorrectAuthCode);
    EXPECT_EQ(Data().Stage(), ssConfirm);

    Data().ConfirmFormData().SetAuthCode(Code);
    Data().Confirm();
    AwaitAnswer();
    EXPECT_EQ(Data().Stage(), ssSignup);
    EXPECT_EQ(Data().State(), mdsReady);
    EXPECT_TRUE(Data().SID().isEmpty());

    const auto signups = Served(QStringLiteral("relay"), QStringLiteral("auth.signup"));
    ASSERT_EQ(signups.size(), 2u);
    EXPECT_FALSE(signups[0].contains(u"sid"));
    EXPECT_EQ(signups[0].value(u"voice").toString(), QStringLiteral("0"));
    EXPECT_EQ(signups[0].value(u"sex").toString(), QStringLiteral("1"));
    EXPECT_EQ(signups[0].value(u"first_name").toString(), QStringLiteral("Мария"));
    EXPECT_EQ(signups[1].value(u"sid").toString(), sid);
    EXPECT_EQ(signups[1].value(u"voice").toString(), QStringLiteral("-1"));
    for (const QJsonObject &query : Served(QStringLiteral("relay"), QString())) {
        EXPECT_EQ(query.value(u"client_id").toString(), QStringLiteral("3566047"));
        EXPECT_EQ(query.value(u"v").toString(), QStringLiteral("5.37"));
    }
    // The password goes in a POST body, never in the URL, which logs keep.
    int posted = 0;
    for (const QString &line : FStandin.LogLines()) {
        const QJsonObject request = QJsonDocument::fromJson(line.toUtf8()).object();
        const QString path = request.value(u"path").toString();
        if (!path.endsWith(u"auth.signup") && !path.endsWith(u"auth.confirm"))
            continue;
        EXPECT_EQ(request.value(u"method").toString(), QStringLiteral("POST")) << path.toStdString();
        EXPECT_TRUE(request.value(u"query").toObject().isEmpty()) << path.toStdString();
        posted += request.value(u"form").toObject().contains(u"password");
    }
    EXPECT_EQ(posted, 4) << "two sign-ups and two confirmations";
    EXPECT_FALSE(FStandin.LogLines().join(u'\n').contains(Password));

    // The number is taken now.
    Data().Signup();
    AwaitAnswer();
    EXPECT_EQ(Data().State(), mdsServiceError);
    EXPECT_EQ(Data().Stage(), ssSignup);
}

TEST_F(SignupTest, AConfirmationWithAnotherPasswordSendsTheUserBackToSignUp)
{
    SignUp(QStringLiteral("+79990000201"));
    Form().SetPassword(QStringLiteral("another-password"));
    Data().ConfirmFormData().SetAuthCode(Code);
    Data().Confirm();
    AwaitAnswer();
    EXPECT_EQ(Data().Stage(), ssSignup);
    EXPECT_EQ(Data().State(), mdsIncorrectPassword);

    // A new sign-up from the confirmation stage.
    Form().SetPasswordConfirmation(QStringLiteral("another-password"));
    Data().Signup();
    AwaitAnswer();
    ASSERT_EQ(Data().Stage(), ssConfirm);
    FStates.clear();
    Data().NewSignup();
    EXPECT_EQ(FStates, (std::vector<std::uint8_t> {mdsLoaded, mdsReady}));
    EXPECT_EQ(Data().Stage(), ssSignup);
    EXPECT_TRUE(Data().SID().isEmpty());
    Data().RepeatCode();
    EXPECT_EQ(Data().RepeatCodeData().State(), mdsInitial);
}

TEST_F(SignupTest, ACaptchaIsAnsweredAndAPictureThatCannotBeLoadedEndsTheWait)
{
    SignUp(QStringLiteral("+79990000014"));
    const auto signups = Served(QStringLiteral("relay"), QStringLiteral("auth.signup"));
    ASSERT_EQ(signups.size(), 2u);
    EXPECT_EQ(signups[1].value(u"captcha_key").toString(), QStringLiteral("38516"));

    Data().NewSignup();
    FillForm(QStringLiteral("+79990000404"));
    Data().Signup();
    AwaitAnswer();
    EXPECT_EQ(Data().State(), mdsServiceError);

    // Nothing is left waiting: the next sign-up goes through.
    FillForm(QStringLiteral("+79990000202"));
    Data().Signup();
    AwaitAnswer();
    EXPECT_EQ(Data().Stage(), ssConfirm);
}

TEST_F(SignupTest, LogoutLetsGoOfASignupInFlight)
{
    FillForm(QStringLiteral("+79990000203"));
    Data().Signup();
    FManager->Logout();
    EXPECT_EQ(Data().State(), mdsReady);
    // A later request of the queue is answered; the dropped sign-up never is.
    Form().SetPhone(QStringLiteral("+79990000001"));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Data().PhoneCheckData().State() == mdsPhoneUsed; }));
    EXPECT_EQ(Data().Stage(), ssSignup);
    EXPECT_EQ(Data().State(), mdsReady);

    // A phone check dropped with the queue judged nothing either: the number
    // typed again is checked.
    Form().SetPhone(QStringLiteral("+79990000205"));
    FManager->Logout();
    Form().SetPhone(QString());
    Form().SetPhone(QStringLiteral("+79990000205"));
    // Waited for by state: the dropped check may still raise its end.
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return Data().PhoneCheckData().State() == mdsPhoneValid; }));
}
