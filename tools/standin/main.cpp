// marvane-standin: the VK web site on loopback, for tests and the demo run.
// See README.md for the options, accounts and answers.
#include "standin/ApiHandlers.h"
#include "standin/AudioHandlers.h"
#include "standin/Catalogue.h"
#include "standin/FileServer.h"
#include "standin/LastFMHandlers.h"
#include "standin/RequestLog.h"
#include "standin/SiteState.h"
#include "standin/UpdateHandlers.h"
#include "standin/WebHandlers.h"

#include <httplib.h>

#include <QString>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <pthread.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct TOptions
{
    int WebPort = 0;
    int LoginPort = 0;
    int APIPort = 0;
    int RelayPort = 0;
    QString LogPath;
    QString AudioFolder = QStringLiteral(MARVANE_STANDIN_AUDIO_DIR);
    bool ExitOnStdinEof = false;
    int MyMusicSize = Standin::TSiteState::DefaultMyMusicSize;
    Standin::TDelivery Delivery;
    Standin::TUpdateAnswer Update;
};

// A whole number from Lowest up, or nothing.
std::optional<int> Count(const char *Text, int Lowest)
{
    bool ok = false;
    const int value = QString::fromLocal8Bit(Text).toInt(&ok);
    return ok && value >= Lowest ? std::optional<int>(value) : std::nullopt;
}

std::optional<TOptions> ParseOptions(int argc, char **argv)
{
    TOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--exit-on-stdin-eof")
            options.ExitOnStdinEof = true;
        else if (hasValue
            && (option == "--web-port" || option == "--login-port" || option == "--api-port"
                || option == "--relay-port")) {
            bool ok = false;
            const int port = QString::fromLocal8Bit(argv[++i]).toInt(&ok);
            if (!ok || port < 0 || port > 65535)
                return std::nullopt;
            (option == "--web-port"            ? options.WebPort
                    : option == "--login-port" ? options.LoginPort
                    : option == "--api-port"   ? options.APIPort
                                               : options.RelayPort)
                = port;
        } else if (hasValue && option == "--log")
            options.LogPath = QString::fromLocal8Bit(argv[++i]);
        else if (hasValue && option == "--audio-dir")
            options.AudioFolder = QString::fromLocal8Bit(argv[++i]);
        else if (hasValue && (option == "--my-music-size" || option == "--audio-rate")) {
            const std::optional<int> count = Count(argv[++i], option == "--audio-rate" ? 1 : 0);
            if (!count)
                return std::nullopt;
            (option == "--my-music-size" ? options.MyMusicSize : options.Delivery.BytesPerSecond) = *count;
        } else if (hasValue && option == "--broken-track")
            options.Delivery.BrokenTracks.insert(argv[++i]);
        else if (hasValue && option == "--update") {
            const std::optional<Standin::TUpdateAnswer> answer
                = Standin::ParseUpdateAnswer(QString::fromLocal8Bit(argv[++i]));
            if (!answer)
                return std::nullopt;
            options.Update = *answer;
        } else
            return std::nullopt;
    }
    return options;
}

// The port bound on 127.0.0.1: the one asked for, or a free one for 0; -1 on failure.
int Bind(httplib::Server &Server, int Port)
{
    // cpp-httplib's default SO_REUSEPORT would let a second stand-in share a port in use,
    // each answering part of the requests from its own accounts and sessions.
    Server.set_socket_options([](int Socket) {
        const int yes = 1;
        setsockopt(Socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    });
    if (Port == 0)
        return Server.bind_to_any_port("127.0.0.1");
    return Server.bind_to_port("127.0.0.1", Port) ? Port : -1;
}

} // namespace

int main(int argc, char **argv)
{
    const std::optional<TOptions> options = ParseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr,
            "usage: marvane-standin [--web-port N] [--login-port N] [--api-port N] [--relay-port N] "
            "[--log FILE] [--audio-dir DIR] [--my-music-size N] [--audio-rate BYTES] [--broken-track OWNER_AID] "
            "[--update newer|equal|garbage|none|VERSION] [--exit-on-stdin-eof]\n");
        return 2;
    }

    // Signals are taken by sigwait below; every thread started from here on inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    Standin::TFileServer files(options->Delivery);
    if (!files.Load(options->AudioFolder)) {
        std::fprintf(stderr, "marvane-standin: no tone-<seconds>s.mp3 files in %s\n",
            options->AudioFolder.toLocal8Bit().constData());
        return 1;
    }
    Standin::TRequestLog log;
    if (!options->LogPath.isEmpty() && !log.Open(options->LogPath)) {
        std::fprintf(stderr, "marvane-standin: cannot write %s\n", options->LogPath.toLocal8Bit().constData());
        return 1;
    }

    const Standin::TCatalogue catalogue(files.Tones());
    Standin::TSiteState state(catalogue, options->MyMusicSize);
    Standin::TOrigins origins;
    Standin::TApiState apiState;
    Standin::TApiOrigins apiOrigins;
    QString lastFMOrigin;
    QString updateOrigin;
    httplib::Server web, login, api, relay, lastfm, update;
    // Slow answers hold a worker each for their whole length, beside a
    // client's idle kept-alive connections.
    web.new_task_queue = [] { return new httplib::ThreadPool(32); };
    Standin::AddWebHandlers(web, state, origins);
    Standin::AddAudioHandlers(web, state, origins);
    files.AddHandlers(web);
    Standin::AddLoginHandlers(login, state, origins);
    Standin::AddAPIHandlers(api, apiState, apiOrigins);
    Standin::AddRelayHandlers(relay, apiState, apiOrigins);
    Standin::AddLastFMHandlers(lastfm, catalogue, lastFMOrigin);
    Standin::AddUpdateHandlers(update, options->Update, QStringLiteral(MARVANE_STANDIN_PROGRAM_VERSION));

    struct THost
    {
        const char *Role;
        const char *Variable;
        httplib::Server &Server;
        int AskedPort;
        QString &Origin;
    };
    THost hosts[] = {{"web", "MARVANE_VK_WEB_URL", web, options->WebPort, origins.Web},
        {"login", "MARVANE_VK_LOGIN_URL", login, options->LoginPort, origins.Login},
        {"api", "MARVANE_VK_API_URL", api, options->APIPort, apiOrigins.API},
        {"relay", "MARVANE_SIGNUP_RELAY_URL", relay, options->RelayPort, apiOrigins.Relay},
        {"lastfm", "MARVANE_LASTFM_URL", lastfm, 0, lastFMOrigin},
        {"update", "MARVANE_UPDATE_URL", update, 0, updateOrigin}};
    for (THost &host : hosts) {
        // Logged just before the answer leaves, so a redirect's line precedes the request it causes.
        host.Server.set_post_routing_handler(
            [&log, role = host.Role](const httplib::Request &Request, const httplib::Response &Response) {
                log.Write(role, Request, Response);
            });
        const int port = Bind(host.Server, host.AskedPort);
        if (port < 0) {
            std::fprintf(stderr, "marvane-standin: cannot listen on 127.0.0.1 port %d\n", host.AskedPort);
            return 1;
        }
        host.Origin = QStringLiteral("http://127.0.0.1:%1").arg(port);
    }

    std::vector<std::thread> threads;
    for (THost &host : hosts) {
        threads.emplace_back([&server = host.Server] { server.listen_after_bind(); });
        std::printf("%s=%s\n", host.Variable, host.Origin.toLatin1().constData());
    }
    std::printf("ready\n");
    std::fflush(stdout);

    if (options->ExitOnStdinEof)
        std::thread([] {
            char buffer[256];
            while (read(STDIN_FILENO, buffer, sizeof(buffer)) > 0) { }
            kill(getpid(), SIGTERM);
        }).detach();

    int signal = 0;
    sigwait(&stopSignals, &signal);
    for (THost &host : hosts) {
        // A stop before the server's thread has begun to listen is lost, and
        // that thread would then listen for ever: wait until it listens.
        for (int waited = 0; !host.Server.is_running() && waited < 5000; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        host.Server.stop();
    }
    for (std::thread &thread : threads)
        thread.join();
    return 0;
}
