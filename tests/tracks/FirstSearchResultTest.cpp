// The first successful search result of a web client's life (the automatic
// one after sign-in) is not announced; every later one is, whichever list
// gets it.
#include "tracks/lists/TVKAudioDataUnit.h"

#include "vkweb/TVKEmulationManagerUnit.h"

#include "tracks/TracksTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>

TEST(SearchResult, TheFirstSuccessfulResultOfAWebClientIsNotAnnounced)
{
    TListsEnvironment environment;
    environment.Manager().SetUserID(42);
    std::atomic<int> answers = 0;
    TScriptedSite site([&answers](const std::string &, const std::string &) -> TScriptedSite::TAnswer {
        // The very first answer fails; its retry is the first success.
        if (answers++ == 0)
            return {503, QStringLiteral("<html>Service Unavailable</html>")};
        return {
            200, QString::fromStdString(ListAnswer({Record(-5, 1, QStringLiteral("Кино"), QStringLiteral("Звезда"))}))};
    });
    TVKSearchAudioData first(environment.Manager(), 50), second(environment.Manager(), 50);
    TListEvents firstEvents(first), secondEvents(second);
    int firstResults = 0, secondResults = 0;
    first.OnSearchResult = [&](TObject *Sender) {
        EXPECT_EQ(Sender, &first);
        ++firstResults;
    };
    second.OnSearchResult = [&](TObject *) { ++secondResults; };

    first.Reset();
    ASSERT_TRUE(firstEvents.WaitForChanges(1));
    EXPECT_EQ(answers, 2);
    EXPECT_EQ(firstResults, 0);

    second.SetSearchString(QStringLiteral("Кино"));
    ASSERT_TRUE(secondEvents.WaitForChanges(1));
    EXPECT_EQ(secondResults, 1);

    first.SetSearchString(QStringLiteral("Звезда"));
    ASSERT_TRUE(firstEvents.WaitForChanges(2));
    EXPECT_EQ(firstResults, 1);
    EXPECT_EQ(secondResults, 1);
}
