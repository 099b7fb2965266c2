#include "requests/THTTPClientUnit.h"

#include "support/TestHTTPServer.h"

#include <gtest/gtest.h>

#include <new>

// Running out of memory in a handler (a huge body kept in memory) is the case
// that matters: libcurl cannot carry the exception, which used to end the program.
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
             Client.OnData = [&](const char *, qsizetype) -> bool { outOfMemory(); return true; };
         }},
        {"progress",
         [&](THTTPClient &Client) {
             Client.IsAborted = [&]() -> bool { outOfMemory(); return false; };
         }},
    };
    for (const auto &c : cases) {
        THTTPClient client;
        c.Break(client);
        EXPECT_THROW(client.Perform(server.URL()), std::bad_alloc) << c.Name;
    }

    // The program goes on, and so does the next exchange.
    THTTPClient client;
    qsizetype received = 0;
    client.OnData = [&](const char *, qsizetype Size) {
        received += Size;
        return true;
    };
    EXPECT_TRUE(client.Perform(server.URL()));
    EXPECT_EQ(received, 4 * 1024 * 1024);
}
