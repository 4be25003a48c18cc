// rx_service's display-free logic: catalogue and account files, filters, request parsing, reply
// shapes, options and the synthetic game images.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "service/logic/catalogue.h"
#include "service/logic/game_image.h"
#include "service/logic/http.h"
#include "service/logic/options.h"

using namespace rx::service;

TEST(Catalogue, ParsesRecordsAndRejectsBrokenFiles) {
    const auto games = parse_catalogue(
        "# header\n"
        "gen_001.bin\tGEN\tAstro Quest\t524288\t3\t1\ta.png,b.png\r\n"
        "\n"
        "nes_002.nes\tNES\tBrick Rally\t40960\t0\t0\t\n");
    ASSERT_TRUE(games);
    ASSERT_EQ(games->size(), 2u);
    EXPECT_EQ((*games)[0].id, "gen_001.bin");
    EXPECT_EQ((*games)[0].image_size, 524288u);
    EXPECT_TRUE((*games)[0].sampler);
    EXPECT_EQ((*games)[0].screenshots, (std::vector<std::string>{"a.png", "b.png"}));
    EXPECT_TRUE((*games)[1].screenshots.empty());
    EXPECT_EQ((*games)[1].copies, 0);

    std::string error;
    EXPECT_FALSE(parse_catalogue("x\tGEN\tT\t1\t1\t0\t\nbad line\n", &error));
    EXPECT_EQ(error, "malformed line 2");
    EXPECT_FALSE(parse_catalogue("x\tXYZ\tT\t1\t1\t0\t\n"));   // unknown console
    EXPECT_FALSE(parse_catalogue("x\tGEN\tT\t-1\t1\t0\t\n"));  // negative size
    EXPECT_FALSE(parse_catalogue("x\tGEN\tT\t1\t1\t0\ta,b,c,d,e\n"));
}

TEST(Catalogue, AccountsFile) {
    const auto accounts = parse_accounts("# n\tp\tk\nguest\tguest\t1\ndemo\tdemo\t2\n");
    ASSERT_TRUE(accounts);
    ASSERT_EQ(accounts->size(), 2u);
    EXPECT_EQ((*accounts)[1].kind, 2);
    EXPECT_FALSE(parse_accounts("guest\tguest\n"));
    EXPECT_FALSE(parse_accounts("guest\tguest\t0\n"));
}

TEST(Catalogue, NameFilters) {
    EXPECT_TRUE(title_matches("Astro Quest", "^[a-b]"));
    EXPECT_TRUE(title_matches("brick saga", "^[a-b]"));
    EXPECT_FALSE(title_matches("Comet Dash", "^[a-b]"));
    EXPECT_TRUE(title_matches("Zinc Arena", "^[y-z]"));
    EXPECT_TRUE(title_matches("3D Pixel Bash", "^[0-9]"));
    EXPECT_FALSE(title_matches("Astro Quest", "^[0-9]"));
    EXPECT_TRUE(title_matches("'Quoted' Title", "^[0-z]"));  // the all button shows every title
    EXPECT_TRUE(title_matches("3D Pixel Bash", "pixel b"));
    EXPECT_TRUE(title_matches("3D Pixel Bash", "PIXEL"));
    EXPECT_FALSE(title_matches("3D Pixel Bash", "pixelb"));
    EXPECT_TRUE(title_matches("Astro Quest", "^astro"));
    EXPECT_FALSE(title_matches("The Astro Quest", "^astro"));
    EXPECT_TRUE(title_matches("Anything", ""));
}

TEST(Catalogue, AvailabilityRules) {
    game_record gen{"g", "GEN", "T", 1, 3, false, {}};
    game_record nes{"n", "NES", "T", 1, 2, false, {}};
    EXPECT_EQ(availability(gen, 0, false), 3);
    EXPECT_EQ(availability(gen, 1, false), 2);
    EXPECT_EQ(availability(gen, 0, true), -1);
    EXPECT_EQ(availability(gen, 3, true), 0);  // all in play wins over full-only
    EXPECT_EQ(availability(nes, 0, true), 2);
    EXPECT_EQ(availability(nes, 2, false), 0);
    gen.sampler = true;
    EXPECT_EQ(availability(gen, 0, true), 3);
    for (const char* code : {"2600", "COL", "NES"}) EXPECT_FALSE(system_after_nes(code)) << code;
    for (const char* code : {"GB", "GBC", "GBA", "SGG", "GEN", "SMS", "SNES", "PCE", "N64"})
        EXPECT_TRUE(system_after_nes(code)) << code;
}

TEST(Http, RequestEndAcceptsLineFeedsCrLfAndNul) {
    EXPECT_EQ(request_end("GET / HTTP/1.1\nHost: a\n\n"), 24u);
    EXPECT_EQ(request_end(std::string("GET / HTTP/1.1\nHost: a\n\n\0", 25)), 24u);
    EXPECT_EQ(request_end("GET / HTTP/1.1\r\nHost: a\r\n\r\n"), 27u);
    EXPECT_EQ(request_end(std::string("GET / HTTP/1.1\0", 15)), 14u);
    EXPECT_EQ(request_end("GET / HTTP/1.1\nHost: a\n"), std::string::npos);
}

TEST(Http, ParsesUnencodedTargets) {
    const auto r = parse_request(
        "GET /browser/gamelist.php?status=Full&search=1&system=GEN&criteria=pixel bash&end=1 "
        "HTTP/1.0\nHost: x\n\n");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->path, "/browser/gamelist.php");
    EXPECT_EQ(r->version, "HTTP/1.0");
    EXPECT_EQ(r->param("criteria"), "pixel bash");
    EXPECT_EQ(r->param("end"), "1");
    EXPECT_FALSE(r->param("missing"));

    const auto login =
        parse_request("GET /browser/checkuser.php?username=a&b c&password=p&q HTTP/1.1\n\n");
    ASSERT_TRUE(login);
    EXPECT_EQ(login->param("username"), "a&b c");
    EXPECT_EQ(login->param("password"), "p&q");

    std::string error;
    EXPECT_FALSE(parse_request("POST / HTTP/1.1\n\n", &error));
    EXPECT_EQ(error, "only GET is served");
    EXPECT_FALSE(parse_request("GET relative HTTP/1.1\n\n"));
    EXPECT_FALSE(parse_request("GET\n\n"));
    EXPECT_FALSE(parse_request("GET /a\x01 HTTP/1.1\n\n"));
}

TEST(Http, PercentDecodeAndSafePaths) {
    EXPECT_EQ(percent_decode("a%20b%zz%4"), "a b%zz%4");
    EXPECT_TRUE(safe_relative_path("v4.30/images/b.png.gz"));
    for (const char* bad : {"", "../x", "a/../b", "a//b", "./a", "a/", "a\\b", "c:x", ".."})
        EXPECT_FALSE(safe_relative_path(bad)) << bad;
    EXPECT_FALSE(safe_relative_path(std::string("a\0b", 3)));
}

TEST(Http, ReplyShapes) {
    EXPECT_EQ(http_reply(200, "||4.29||EOL", "text/plain", "HTTP/1.0"),
              "HTTP/1.0 200 OK\r\nServer: rx_service\r\nContent-Type: "
              "text/plain\r\nContent-Length: 11\r\n"
              "Connection: close\r\n\r\n||4.29||EOL");
    const std::string header = update_file_header(123);
    EXPECT_EQ(std::count(header.begin(), header.end(), '\n'), 10);
    EXPECT_EQ(header.substr(header.size() - 4), "\r\n\r\n");
    EXPECT_EQ(game_list_record("Astro Quest", "GEN", "gen_001.bin", -1),
              "||Astro Quest||GEN||gen_001.bin||-1||EOL\n");
    EXPECT_EQ(update_manifest(42, {"/a.gz", "/images/b.png.gz"}),
              "filesize:42\n/a.gz\n/images/b.png.gz\n");
}

TEST(Http, StorageNamesStayInTheirFolder) {
    EXPECT_EQ(storage_name("game.sav"), "game.sav");
    EXPECT_EQ(storage_name(".."), "%2E.");
    EXPECT_EQ(storage_name("../../etc/passwd"),
              "%2E.%2F..%2Fetc%2Fpasswd");  // one name, no separator
    EXPECT_EQ(storage_name("a b"), "a%20b");
    EXPECT_EQ(storage_name(""), "%");
    EXPECT_NE(storage_name("a/b"), storage_name("a%2Fb"));  // distinct names never share a file
}

TEST(Options, ParsesEveryOptionAndFault) {
    std::string error;
    const auto o = parse_options({"--data", "/tmp/d", "--http-port", "0", "--game-port=0", "--host",
                                  "h", "--fault", "delay_ms=250", "--fault", "never_reply",
                                  "--fault", "game_error=No such game", "--fault", "version="},
                                 &error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->data_dir, "/tmp/d");
    EXPECT_EQ(o->http_port, 0);
    EXPECT_EQ(o->game_port, 0);
    EXPECT_EQ(o->faults.delay_ms, 250);
    EXPECT_TRUE(o->faults.never_reply);
    EXPECT_EQ(o->faults.game_error, "No such game");
    EXPECT_EQ(o->faults.version, "");

    const auto defaults = parse_options({}, &error);
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->http_port, 80);
    EXPECT_EQ(defaults->game_port, 11001);

    EXPECT_FALSE(parse_options({"--http-port", "70000"}, &error));
    EXPECT_FALSE(parse_options({"--http-port"}, &error));
    EXPECT_FALSE(parse_options({"--bogus", "1"}, &error));
    EXPECT_FALSE(parse_options({"--fault", "explode"}, &error));
    EXPECT_FALSE(parse_options({"--fault", "delay_ms=soon"}, &error));
    EXPECT_TRUE(parse_options({"--help"}, &error)->help);
}

TEST(Options, SigningNeedsItsKeyAndTheKeyBelongsToSigning) {
    std::string error;
    const auto sign = parse_options({"--sign-update", "/u/v4.30", "--key", "/k", "--location=v",
                                     "--release", "3", "--expires", "2030-01-01"},
                                    &error);
    ASSERT_TRUE(sign) << error;
    EXPECT_EQ(sign->sign_update, "/u/v4.30");
    EXPECT_EQ(sign->key_file, "/k");
    EXPECT_EQ(sign->sign_location, "v");
    EXPECT_EQ(sign->sign_release, "3");
    EXPECT_EQ(sign->sign_expires, "2030-01-01");
    EXPECT_FALSE(parse_options({"--sign-update", "/u/v4.30"}, &error));
    EXPECT_EQ(error, "--sign-update needs --key");
    EXPECT_FALSE(parse_options({"--sign-update", "/u/v4.30", "--key", "/k"}, &error));
    EXPECT_EQ(error, "--sign-update needs --release");
    EXPECT_FALSE(parse_options({"--key", "/k"}, &error));
    EXPECT_FALSE(parse_options({"--location", "v4.30"}, &error));
    EXPECT_FALSE(parse_options({"--release", "2"}, &error));
    fault_settings f;
    EXPECT_TRUE(apply_fault(f, "signature", "location v\n", &error));
    EXPECT_EQ(f.signature, "location v\n");
}

TEST(Options, ProductionUnlessAskedAndAddingAUserNeedsOneKind) {
    std::string error;
    const auto defaults = parse_options({}, &error);
    ASSERT_TRUE(defaults);
    EXPECT_FALSE(defaults->test_hooks);
    EXPECT_EQ(defaults->password_cost, "moderate");
    EXPECT_TRUE(parse_options({"--data", "/d", "--test-hooks"}, &error)->test_hooks);
    const auto add = parse_options({"--add-user", "alice", "--free"}, &error);
    ASSERT_TRUE(add) << error;
    EXPECT_EQ(add->add_user, "alice");
    EXPECT_EQ(add->add_user_kind, 1);
    EXPECT_EQ(parse_options({"--full", "--add-user=bob"}, &error)->add_user_kind, 2);
    struct refused_case {
        std::vector<std::string> args;
        std::string error;
    };
    const std::vector<refused_case> refused = {
        {{"--add-user", "alice"}, "--add-user NAME goes with one of --full and --free"},
        {{"--full"}, "--add-user NAME goes with one of --full and --free"},
        {{"--add-user", "a", "--full", "--free"}, "give only one of --full and --free"},
        {{"--password-cost", "cheap"}, "bad value for --password-cost: cheap"},
        {{"--log-keep", "0"}, "bad value for --log-keep: 0"},
        {{"--login-lock-ms", "0"}, "bad value for --login-lock-ms: 0"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.args[0]);
        EXPECT_FALSE(parse_options(c.args, &error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(Options, FaultSwitchesSetAndClear) {
    fault_settings f;
    std::string error;
    EXPECT_TRUE(apply_fault(f, "truncate_game", "1000", &error));
    EXPECT_EQ(f.truncate_game, 1000);
    EXPECT_TRUE(apply_fault(f, "user_in_use", "2", &error));
    EXPECT_EQ(f.user_in_use, 2);
    EXPECT_TRUE(apply_fault(f, "session_invalid", "", &error));
    EXPECT_TRUE(f.session_invalid);
    EXPECT_TRUE(apply_fault(f, "session_invalid", "off", &error));
    EXPECT_FALSE(f.session_invalid);
    EXPECT_FALSE(apply_fault(f, "garbage", "maybe", &error));
}

TEST(GameImage, DeterministicSizedAndCompressible) {
    const auto a = generate_game_image("gen_001.bin", 300000);
    EXPECT_EQ(a.size(), 300000u);
    EXPECT_EQ(a, generate_game_image("gen_001.bin", 300000));
    EXPECT_NE(a, generate_game_image("gen_002.bin", 300000));
    const auto b = generate_game_image("gen_001.bin", 300001);
    EXPECT_FALSE(
        std::equal(a.begin() + 64, a.end(), b.begin() + 64));  // the size seeds the content too
    EXPECT_EQ(std::string(a.begin(), a.begin() + 20), "RELICADE GAME IMAGE\n");

    const auto packed = compress_game_image(a);
    const double ratio = static_cast<double>(a.size()) / static_cast<double>(packed.size());
    EXPECT_GT(ratio, 1.5);
    EXPECT_LT(ratio, 2.6);
    EXPECT_EQ(packed, compress_game_image(a));
    EXPECT_EQ(packed[0], 0x78);  // a zlib stream, as uncompress expects

    EXPECT_TRUE(generate_game_image("x", 0).empty());
    EXPECT_EQ(generate_game_image("x", 5).size(), 5u);
}

TEST(SampleCatalogue, CoversWhatTheClientsNeed) {
    const auto games = read_catalogue_file(std::string(RX_PROGRAM_DIR) + "/service/catalogue.tsv");
    ASSERT_TRUE(games);
    std::map<std::string, int> per_system, all_in_play, sampler;
    std::set<std::string> ids;
    std::uint64_t largest = 0;
    bool over30 = false, over35 = false, undecodable = false;
    for (const auto& g : *games) {
        ++per_system[g.system];
        if (g.copies == 0) ++all_in_play[g.system];
        if (g.sampler) ++sampler[g.system];
        EXPECT_TRUE(ids.insert(g.id).second) << "duplicate id " << g.id;
        EXPECT_EQ(g.title.find('|'), std::string::npos);
        largest = std::max(largest, g.image_size);
        over30 |= g.title.size() > 30;
        over35 |= g.title.size() > 35;
        EXPECT_GE(g.image_size, 10u * 1024u) << g.id;
        for (const auto& shot : g.screenshots) {
            EXPECT_TRUE(safe_relative_path(shot));
            std::FILE* f = std::fopen(
                (std::string(RX_PROGRAM_DIR) + "/service/info_img/" + shot).c_str(), "rb");
            ASSERT_NE(f, nullptr) << shot;
            unsigned char sig[4] = {};
            const std::size_t n = std::fread(sig, 1, 4, f);
            std::fclose(f);
            if (n < 4 || sig[1] != 'P' || sig[2] != 'N' || sig[3] != 'G') undecodable = true;
        }
    }
    EXPECT_EQ(per_system.size(), 12u);
    for (const auto& code : system_codes()) {
        EXPECT_GE(per_system[code], 24) << code;
        EXPECT_EQ(all_in_play[code], 1) << code;
        // Every filter button has something to show.
        for (const char* filter :
             {"^[0-9]", "^[a-b]", "^[c-d]", "^[e-f]", "^[g-h]", "^[i-j]", "^[k-l]", "^[m-n]",
              "^[o-p]", "^[q-r]", "^[s-t]", "^[u-v]", "^[w-x]", "^[y-z]"}) {
            EXPECT_TRUE(std::any_of(games->begin(), games->end(),
                                    [&](const game_record& g) {
                                        return g.system == code && title_matches(g.title, filter);
                                    }))
                << code << " " << filter;
        }
    }
    EXPECT_FALSE(sampler.empty());
    EXPECT_EQ(largest, 32u * 1024u * 1024u);
    EXPECT_TRUE(over30);
    EXPECT_TRUE(over35);
    EXPECT_TRUE(undecodable);
}
