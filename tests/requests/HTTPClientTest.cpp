#include "requests/THTTPClientUnit.h"

#include "support/TestEnvironment.h"
#include "support/TestHTTPServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <new>

namespace {

std::ptrdiff_t OpenFiles()
{
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

} // namespace

// Running out of memory in a handler (a huge body kept in memory) is the case
// that matters. libcurl cannot carry the exception: thrown through it, the
// exchange's connection stayed open for good, or the program ended.
TEST(HTTPClient, AnErrorThrownByAHandlerEndsOnlyTheExchange)
{
    TRawTestServer server([](const TRecordedRequest &, TRawTestServer::TConnection &connection) {
        if (connection.Send(TRawTestServer::Head(200, "OK", 4 * 1024 * 1024)))
            connection.Send(std::string(4 * 1024 * 1024, 'x'));
    });
    const auto outOfMemory = [] { throw std::bad_alloc(); };
    const struct
    {
        const char *Name;
        std::function<void(THTTPClient &)> Break;
    } cases[] = {
        {"headers", [&](THTTPClient &Client) { Client.OnHeaders = outOfMemory; }},
        {"data",
            [&](THTTPClient &Client) {
                Client.OnData = [&](const char *, qsizetype) -> bool {
                    outOfMemory();
                    return true;
                };
            }},
        {"progress",
            [&](THTTPClient &Client) {
                Client.IsAborted = [&]() -> bool {
                    outOfMemory();
                    return false;
                };
            }},
    };

    const auto exchangeWhole = [&] {
        THTTPClient client;
        qsizetype received = 0;
        client.OnData = [&](const char *, qsizetype Size) {
            received += Size;
            return true;
        };
        return client.Perform(server.URL()) && received == 4 * 1024 * 1024;
    };
    ASSERT_TRUE(exchangeWhole());
    // The server closes its side once the client has gone.
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return server.Requests().size() == 1; }));
    const std::ptrdiff_t openFiles = OpenFiles();

    for (const auto &c : cases) {
        {
            THTTPClient client;
            c.Break(client);
            EXPECT_THROW(client.Perform(server.URL()), std::bad_alloc) << c.Name;
        }
        EXPECT_TRUE(TestEnvironment::WaitFor([&] { return OpenFiles() <= openFiles; }, std::chrono::seconds(5)))
            << c.Name << ": " << OpenFiles() - openFiles << " files left open";
    }
    // The program goes on, and so does the next exchange.
    EXPECT_TRUE(exchangeWhole());
}
