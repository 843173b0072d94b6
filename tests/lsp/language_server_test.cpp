// LanguageServer in process: what it answers to messages that are wrong, to positions
// and documents it does not know, and how it ends.
#include "lsp/language_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "lsp/uri_path.h"
#include "support/temp_dir.h"

namespace rpgc::lsp {
namespace {

using Json = nlohmann::json;

class LanguageServerTest : public ::testing::Test {
 protected:
  LanguageServerTest()
      : server_([this](const std::string& body) { sent_.push_back(Json::parse(body)); }) {}

  void write(const std::string& name, const std::string& text) {
    std::ofstream(folder_.file(name), std::ios::binary) << text;
  }
  std::string uri(const std::string& name) { return uriOfPath(folder_.file(name)); }

  // Sends a message and returns what came back (the server idle afterwards).
  std::vector<Json> exchange(const Json& message) { return exchange(message.dump()); }
  std::vector<Json> exchange(const std::string& body) {
    sent_.clear();
    server_.handle(body);
    server_.idle();
    return sent_;
  }
  Json request(const std::string& method, Json params) {
    std::vector<Json> answers =
        exchange(Json{{"jsonrpc", "2.0"}, {"id", ++id_}, {"method", method}, {"params", params}});
    for (const Json& answer : answers) {
      if (answer.contains("id") && answer["id"] == id_) return answer;
    }
    return nullptr;
  }
  void notify(const std::string& method, Json params) {
    exchange(Json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
  }
  void initialize() {
    request("initialize", {{"processId", nullptr},
                           {"rootUri", uriOfPath(folder_.path().string())},
                           {"capabilities", Json::object()}});
    notify("initialized", Json::object());
  }
  Json at(const std::string& name, int line, int character) {
    return {{"textDocument", {{"uri", uri(name)}}},
            {"position", {{"line", line}, {"character", character}}}};
  }

  test::TempDir folder_;
  std::vector<Json> sent_;
  LanguageServer server_;
  int id_ = 0;
};

TEST_F(LanguageServerTest, AnswersWrongMessagesWithTheirErrorCodes) {
  EXPECT_EQ(request("textDocument/hover", at("a.txt", 0, 0))["error"]["code"], -32002);
  initialize();
  struct Row {
    std::string body;
    int code;
  };
  const Row rows[] = {
      {"{not json", -32700},
      {"[1,2]", -32600},
      {R"({"jsonrpc":"2.0","id":{"x":1},"method":"shutdown"})", -32600},
      {R"({"jsonrpc":"2.0","id":7,"method":"textDocument/unknown"})", -32601},
      {R"({"jsonrpc":"2.0","id":8,"method":"textDocument/hover","params":{"x":1}})", -32602},
      {R"({"jsonrpc":"2.0","id":9,"method":"textDocument/hover","params":{"textDocument":{"uri":5}}})",
       -32602},
      {R"({"jsonrpc":"2.0","id":10,"method":"initialize","params":{}})", -32600},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.body);
    std::vector<Json> answers = exchange(row.body);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0]["error"]["code"], row.code);
  }
  // Unknown notifications, and answers to requests the server did not make, need nothing.
  EXPECT_TRUE(
      exchange(std::string(R"({"jsonrpc":"2.0","method":"$/unknown","params":{}})")).empty());
  EXPECT_TRUE(exchange(std::string(R"({"jsonrpc":"2.0","id":"x","result":null})")).empty());
}

TEST_F(LanguageServerTest, AnswersNothingForUnknownDocumentsAndPositions) {
  write("game.gdm", "Game\n1.0\ngame\nitems.txt\n");
  write("items.txt", "BEGIN item Knife\nATOM Type = weapon\nEND\n");
  initialize();
  notify("textDocument/didOpen", {{"textDocument",
                                   {{"uri", uri("items.txt")},
                                    {"languageId", "rpgc"},
                                    {"version", 1},
                                    {"text", "BEGIN item Knife\nATOM Type = weapon\nEND\n"}}}});
  for (const Json& params :
       {at("items.txt", 99, 0), at("items.txt", -1, 0), at("nowhere.txt", 0, 0)}) {
    SCOPED_TRACE(params.dump());
    EXPECT_TRUE(request("textDocument/definition", params)["result"].is_null());
    EXPECT_TRUE(request("textDocument/hover", params)["result"].is_null());
  }
  // A column past a line's end is its end (here the end of Knife).
  EXPECT_EQ(request("textDocument/definition", at("items.txt", 0, 999))["result"]["range"]["start"],
            (Json{{"line", 0}, {"character", 11}}));
  Json other = at("items.txt", 0, 0);
  other["textDocument"]["uri"] = "untitled:Untitled-1";
  EXPECT_TRUE(request("textDocument/hover", other)["result"].is_null());
  // A listed file deleted on disk while closed: the description says so.
  std::filesystem::remove(folder_.file("items.txt"));
  std::vector<Json> sent =
      exchange(Json{{"jsonrpc", "2.0"},
                    {"method", "textDocument/didClose"},
                    {"params", {{"textDocument", {{"uri", uri("items.txt")}}}}}});
  Json onDescription;
  for (const Json& message : sent) {
    if (message["params"]["uri"] == uri("game.gdm"))
      onDescription = message["params"]["diagnostics"];
  }
  ASSERT_EQ(onDescription.size(), 1u);
  EXPECT_EQ(onDescription[0]["code"], "cannot-open");
  EXPECT_EQ(onDescription[0]["range"]["start"]["line"], 3);
}

TEST_F(LanguageServerTest, AFileWithoutADescriptionIsCompiledOnItsOwn) {
  initialize();
  std::vector<Json> sent = exchange(Json{{"jsonrpc", "2.0"},
                                         {"method", "textDocument/didOpen"},
                                         {"params",
                                          {{"textDocument",
                                            {{"uri", uri("lone.txt")},
                                             {"languageId", "rpgc"},
                                             {"version", 1},
                                             {"text", "BEGN item Knife\nEND\n"}}}}}});
  ASSERT_EQ(sent.size(), 1u);
  const Json& diagnostics = sent[0]["params"]["diagnostics"];
  ASSERT_EQ(diagnostics.size(), 2u);
  EXPECT_EQ(diagnostics[0]["code"], "misspelled-keyword");
  EXPECT_EQ(diagnostics[1]["severity"], 3);
}

TEST_F(LanguageServerTest, TellsTheDescriptionsFindingsAndWhereEachPropertyWasSet) {
  write("game.gdm", "Game\n1.0x\ngame\nitems.txt\nmore.txt\nitms.txt\n");
  write("items.txt", "BEGIN quest Hunt\nINTEGER Reward = 5\nEND\n");
  write("more.txt", "\n\nBEGIN quest Hunt\nINTEGER Days = 3\nEND\nBEGIN quest Hunt\nEND\n\n");
  initialize();
  std::vector<Json> sent =
      exchange(Json{{"jsonrpc", "2.0"},
                    {"method", "textDocument/didOpen"},
                    {"params",
                     {{"textDocument",
                       {{"uri", uri("game.gdm")},
                        {"languageId", "rpgc-description"},
                        {"version", 1},
                        {"text", "Game\n1.0x\ngame\nitems.txt\nmore.txt\nitms.txt\n"}}}}}});
  Json onDescription;
  for (const Json& message : sent) {
    if (message["params"]["uri"] == uri("game.gdm"))
      onDescription = message["params"]["diagnostics"];
  }
  ASSERT_EQ(onDescription.size(), 2u) << onDescription.dump();
  EXPECT_EQ(onDescription[0]["code"], "description");
  EXPECT_EQ(onDescription[1]["code"], "cannot-open");
  EXPECT_EQ(onDescription[1]["range"]["end"], (Json{{"line", 5}, {"character", 8}}));
  Json actions =
      request("textDocument/codeAction", {{"textDocument", {{"uri", uri("game.gdm")}}},
                                          {"range", onDescription[1]["range"]},
                                          {"context", {{"diagnostics", Json::array()}}}})["result"];
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(actions[0]["title"], "Change to 'items.txt'");

  // The block after END is never read: only the first two set anything.
  std::string hover =
      request("textDocument/hover", at("more.txt", 2, 13))["result"]["contents"]["value"];
  EXPECT_NE(hover.find("IntegerPropertyName  Reward Days  items.txt:2  more.txt:4\n"),
            std::string::npos)
      << hover;
  EXPECT_NE(hover.find("Type  quest  more.txt:3\n"), std::string::npos) << hover;
}

// Applies a WorkspaceEdit's edits of one document to its text (ASCII: columns are bytes).
std::string applied(std::string text, const Json& edits) {
  auto offset = [&](const Json& position) {
    size_t at = 0;
    for (int line = position["line"].get<int>(); line > 0 && at < text.size(); --line) {
      at = std::min(text.find('\n', at), text.size()) + 1;
    }
    return std::min(at, text.size()) + position["character"].get<size_t>();
  };
  for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit) {
    size_t start = offset((*edit)["range"]["start"]);
    text.replace(start, offset((*edit)["range"]["end"]) - start,
                 (*edit)["newText"].get<std::string>());
  }
  return text;
}

TEST_F(LanguageServerTest, EachQuickFixMendsItsFinding) {
  write("game.gdm", "Game\n1.0\ngame\na.txt\n");
  write("a.txt", "");
  initialize();
  notify("textDocument/didOpen",
         {{"textDocument",
           {{"uri", uri("a.txt")}, {"languageId", "rpgc"}, {"version", 1}, {"text", ""}}}});
  const char* const rows[] = {
      "BEGIN quest Q\nFLOAT Weight=0.5\nEND\n",
      "BEGIN quest Q\nATOMS Tags = a , b\nEND\n",
      "BEGIN quest Q\nINTEGERS L = 1,2\nEND\n",
      "BEGIN quest Q\nFLOAT W = 1\n",
      "BEGIN quest Q\nFLOAT W = 1",
      "BEGIN quest Q\nFLOAT W = 1\n\nBEGIN quest R\nEND\n",
      "STRING S\nHello\n\nBEGIN quest R\nEND\n",
      "BEGN quest Q\nEND\n",
      "begin quest Q\nEND\n",
      "BEGIN quest Hunt\nREFERENCE M = Hnut\nEND\n",
      "BEGIN item I\nWeight = 2\nEND\n",
  };
  int version = 1;
  auto change = [&](const std::string& text) {
    std::vector<Json> sent =
        exchange(Json{{"jsonrpc", "2.0"},
                      {"method", "textDocument/didChange"},
                      {"params",
                       {{"textDocument", {{"uri", uri("a.txt")}, {"version", ++version}}},
                        {"contentChanges", Json::array({{{"text", text}}})}}}});
    for (const Json& message : sent) {
      if (message["params"]["uri"] == uri("a.txt")) return message["params"]["diagnostics"];
    }
    return Json();
  };
  for (const char* row : rows) {
    SCOPED_TRACE(row);
    Json found = change(row);
    ASSERT_EQ(found.size(), 1u) << found.dump();
    Json actions =
        request("textDocument/codeAction", {{"textDocument", {{"uri", uri("a.txt")}}},
                                            {"range", found[0]["range"]},
                                            {"context", {{"diagnostics", found}}}})["result"];
    ASSERT_EQ(actions.size(), 1u) << actions.dump();
    std::string fixed = applied(row, actions[0]["edit"]["changes"][uri("a.txt")]);
    EXPECT_EQ(change(fixed), Json::array()) << fixed;
  }
}

TEST_F(LanguageServerTest, ExitsWithZeroOnlyAfterShutdown) {
  initialize();
  EXPECT_FALSE(server_.exited());
  notify("exit", Json::object());
  EXPECT_TRUE(server_.exited());
  EXPECT_EQ(server_.exitStatus(), 1);

  LanguageServer second([](const std::string&) {});
  second.handle(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})");
  second.handle(R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})");
  second.handle(R"({"jsonrpc":"2.0","method":"exit"})");
  EXPECT_TRUE(second.exited());
  EXPECT_EQ(second.exitStatus(), 0);
}

}  // namespace
}  // namespace rpgc::lsp
