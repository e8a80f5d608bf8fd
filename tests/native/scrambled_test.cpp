#include "values/scrambled.h"

#include <string>
#include <vector>

#include "launcher/main_sequence.h"
#include "platform/text.h"
#include "tests/native/launcher_fixture.h"
#include "values/prepare_value.h"
#include "values/scramble_format.h"
#include "values/user_vars.h"

// Vectors worked out by hand from the format, not by the encoder (the in-memory
// platform's ANSI code page is Windows-1252). The first one step by step:
//
// Key stream of the built-in key "zuLmOq": its bytes 7A 75 4C 6D 4F 71 and a zero,
// 011110 100111 010101 001100 | 011011 010100 111101 110001 | 000000 00....
// -> "enVM" "bU9x" "AA==": K = "enVMbU9xAA==", 12 characters, period 13.
//
// Plain value "ab": Base64 of "PROOF_MARKab" is "UFJPT0ZfTUFSS2Fi". The XOR step,
// position j against K[j] (0 at j = 13):
//   j  1: U 55^e 65=30   2: F 46^n 6E=28   3: J 4A^V 56=1C   4: P 50^M 4D=1D
//   j  5: T 54^b 62=36   6: 0 30^U 55=65   7: Z 5A^9 39=63   8: f 66^x 78=1E
//   j  9: T 54^A 41=15  10: U 55^A 41=14  11: F 46^= 3D=7B  12: S 53^= 3D=6E
//   j 13: S 53 with 0 passes: 53            then j starts again at 1:
//   j  1: 2 32^e 65=57   2: F 46^n 6E=28   3: i 69^V 56=3F
// Intermediate bytes 30 28 1C 1D 36 65 63 1E 15 14 7B 6E 53 57 28 3F, whose
// Base64 is the payload "MCgcHTZlYx4VFHtuU1coPw==" (30 28 1C -> 001100 000010
// 100000 011100 -> "MCgc", and so on).
//
// The others, computed the same way (a short independent Python script that
// follows the written steps: base64.b64encode, cp1252, the XOR loop):
//   ""  built-in key:   "MCgcHTZlYx4VFHtuUxJTaw=="
//   "iÀ" built-in key:  Base64 "UFJPT0ZfTUFSS2nA"; at position 15 "n" meets the key's
//                       "n" and passes unchanged: "MCgcHTZlYx4VFHtuU1duFw=="
//   "C:\Data" under "pw": K = "cHcA" (70 77 00), period 5:
//                       "Ng4pEVRTEgUVVSUbMHFNVRAmE2gHDyZ8"
//   "Grüße € :: {USERTEXT} %Appdata%" under "pässwörd": K = "cORzc3f2cmQA" (E4 and F6
//                       for ä and ö, 80 for €): "NgkYKjcDPFQ3OBcSU1MrK1UtCgp7Kiw2DmoMKDdL
//                       NWc0ZCk4AxdoNikBOw9iPnAUNxYHMDocB0c=" (one line in the test)
namespace {

constexpr wchar_t kUmlautPayload[] =
    L"NgkYKjcDPFQ3OBcSU1MrK1UtCgp7Kiw2DmoMKDdLNWc0ZCk4AxdoNikBOw9iPnAUNxYHMDocB0c=";
constexpr wchar_t kUmlautPlain[] = L"Grüße € :: {USERTEXT} %Appdata%";

class ScrambledTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start();
  }

  // The value as reading would leave it, or the exit code it ended the launcher with.
  std::wstring Unscramble(const std::wstring& value) { return UnscrambleValue(ctx, value); }
  int EndCodeOf(const std::wstring& value) {
    return ExitCodeOf([&] { UnscrambleValue(ctx, value); });
  }

  void ExpectInvalidPasswordBox() {
    ASSERT_EQ(Fake().boxes.size(), 1u);
    EXPECT_EQ(Fake().boxes[0].text, L"Invalid password!");
    EXPECT_EQ(Fake().boxes[0].caption, L"Tool");
    EXPECT_EQ(Fake().boxes[0].style, os::kBoxOk | os::kBoxTopmost);
  }
};

}  // namespace

TEST_F(ScrambledTest, KeyStreamIsBase64OfTheAnsiBytesAndAZero) {
  EXPECT_EQ(KeyStreamOf(kBuiltInKey), L"enVMbU9xAA==");
  EXPECT_EQ(KeyStreamOf(L"pw"), L"cHcA");
  EXPECT_EQ(KeyStreamOf(L"pässwörd"), L"cORzc3f2cmQA");
  EXPECT_EQ(KeyStreamOf(L"€"), L"gAA=");  // Windows-1252 puts the euro sign at 80
}

TEST_F(ScrambledTest, DecodesTheHandWorkedVectors) {
  const std::wstring builtIn = KeyStreamOf(kBuiltInKey);
  EXPECT_EQ(DecodeScrambled(builtIn, L"MCgcHTZlYx4VFHtuU1coPw=="), L"ab");
  EXPECT_EQ(DecodeScrambled(builtIn, L"MCgcHTZlYx4VFHtuUxJTaw=="), L"");
  EXPECT_EQ(DecodeScrambled(builtIn, L"MCgcHTZlYx4VFHtuU1duFw=="), L"iÀ");
  EXPECT_EQ(DecodeScrambled(KeyStreamOf(L"pw"), L"Ng4pEVRTEgUVVSUbMHFNVRAmE2gHDyZ8"), L"C:\\Data");
  EXPECT_EQ(DecodeScrambled(KeyStreamOf(L"pässwörd"), kUmlautPayload), kUmlautPlain);
}

TEST_F(ScrambledTest, EncoderProducesTheHandWorkedVectors) {
  EXPECT_EQ(ScrambleValue(L"ab"), L"@@MCgcHTZlYx4VFHtuU1coPw==");
  EXPECT_EQ(ScrambleValue(L""), L"@@MCgcHTZlYx4VFHtuUxJTaw==");
  EXPECT_EQ(ScrambleValue(L"iÀ"), L"@@MCgcHTZlYx4VFHtuU1duFw==");
  EXPECT_EQ(ScrambleValueWithPassword(L"C:\\Data", L"pw"), L"!@@Ng4pEVRTEgUVVSUbMHFNVRAmE2gHDyZ8");
  EXPECT_EQ(ScrambleValueWithPassword(kUmlautPlain, L"pässwörd"),
            L"!@@" + std::wstring(kUmlautPayload));
}

TEST_F(ScrambledTest, EveryEncodedValueDecodesToTheOriginal) {
  const std::vector<std::wstring> plains = {
      L"",
      L"x",
      L"C:\\Program Files\\App :: /s :: NULL",
      L"{VOQROOT}\\Data :: %Appdata%\\App :: {USERTEXT} {Name}",
      L"Ærø ß ÿ ‰ Œ ™ € ¤",               // Windows-1252 above 7F, from both halves of its table
      L"\u0081\u008D\u008F\u0090\u009D",  // the bytes the code page leaves undefined
      std::wstring(1000, L'=') + L"@@!@@",
  };
  for (const std::wstring& plain : plains) {
    const std::optional<std::wstring> scrambled = ScrambleValue(plain);
    ASSERT_TRUE(scrambled) << Utf8FromWide(plain);
    EXPECT_TRUE(StartsWith(*scrambled, L"@@"));
    EXPECT_EQ(Unscramble(*scrambled), plain);
    for (const std::wstring password : {L"pw", L"pässwörd", L"a much longer pass phrase :: !"}) {
      ctx.rememberedKeyStream.clear();
      Fake().requestAnswers = {password};
      const std::optional<std::wstring> locked = ScrambleValueWithPassword(plain, password);
      ASSERT_TRUE(locked);
      EXPECT_TRUE(StartsWith(*locked, L"!@@"));
      EXPECT_EQ(Unscramble(*locked), plain) << Utf8FromWide(password);
    }
  }
  EXPECT_TRUE(Fake().boxes.empty());
}

TEST_F(ScrambledTest, EncoderRefusesWhatWouldNotComeBack) {
  EXPECT_FALSE(ScrambleValue(L"\u0100"));  // not in the code page: would become "?"
  EXPECT_FALSE(ScrambleValue(L"日本"));
  EXPECT_FALSE(ScrambleValue(std::wstring(L"a\0b", 3)));  // a zero ends the decoded text
  EXPECT_FALSE(ScrambleValueWithPassword(L"x", L""));
  EXPECT_FALSE(ScrambleValueWithPassword(L"x", L"\u0100"));
}

TEST_F(ScrambledTest, PayloadBrokenOverLinesDecodesAsOneLine) {
  EXPECT_EQ(Unscramble(L"@@MCgcHTZl\r\nYx4VFHtu\nU1coPw=="), L"ab");
}

TEST_F(ScrambledTest, ValuesThatAreNotScrambledStayUnchanged) {
  for (const std::wstring value : {L"@@", L"!@@", L"@", L"x@@MCgcHTZlYx4VFHtuU1coPw==",
                                   L"!!@MCgcHTZlYx4VFHtuU1coPw==", L" @@MCgc"})
    EXPECT_EQ(Unscramble(value), value);
  EXPECT_TRUE(Fake().requests.empty());
  EXPECT_TRUE(Fake().boxes.empty());
}

TEST_F(ScrambledTest, ExtraLeadingMarksAreRemovedWithThePrefix) {
  EXPECT_EQ(Unscramble(L"@@@@@MCgcHTZlYx4VFHtuU1coPw=="), L"ab");
  Fake().requestAnswers = {L"pw"};
  EXPECT_EQ(Unscramble(L"!@@@Ng4pEVRTEgUVVSUbMHFNVRAmE2gHDyZ8"), L"C:\\Data");
}

TEST_F(ScrambledTest, PayloadsThatDoNotDecodeEndTheLauncherAfterTheMessage) {
  const std::vector<std::wstring> broken = {
      L"@@@",                         // empty payload
      L"@@QQ",                        // a tail too short to decode: nothing
      L"@@AAAA",                      // decodes to a zero byte: nothing
      L"@@MCgcHTZlYx4VFHtu!1coPw==",  // a character outside the alphabet
      L"@@MCgcHTZlYx4VFHtuU1coPw",    // cut short: the marker's Base64 is incomplete
      L"@@" + ScrambleValueWithPassword(L"ab", L"pw")->substr(3),  // made with another key
      L"@@UFJPT0ZfTUFSSw==",  // the marker's Base64 without the XOR step
  };
  for (const std::wstring& value : broken) {
    ResetFake();
    EXPECT_EQ(EndCodeOf(value), 0) << Utf8FromWide(value);
    ExpectInvalidPasswordBox();
  }
}

TEST_F(ScrambledTest, PasswordIsAskedOnceForSeveralValues) {
  Fake().requestAnswers = {L"pw"};
  const std::wstring second = *ScrambleValueWithPassword(L"second", L"pw");
  EXPECT_EQ(Unscramble(L"!@@Ng4pEVRTEgUVVSUbMHFNVRAmE2gHDyZ8"), L"C:\\Data");
  EXPECT_EQ(Unscramble(second), L"second");
  // A built-in value between them is decoded with the built-in key.
  EXPECT_EQ(Unscramble(L"@@MCgcHTZlYx4VFHtuU1coPw=="), L"ab");

  ASSERT_EQ(Fake().requests.size(), 1u);
  const FakeRequest& prompt = Fake().requests[0];
  EXPECT_EQ(prompt.kind, L"text");
  EXPECT_EQ(prompt.title, L"Tool");
  EXPECT_EQ(prompt.message, L"Enter password:");
  EXPECT_EQ(prompt.initial, L"");
  EXPECT_TRUE(prompt.masked);
  EXPECT_EQ(ctx.rememberedKeyStream, L"cHcA");
}

TEST_F(ScrambledTest, WrongPasswordEndsTheLauncherWithTheMessage) {
  Fake().requestAnswers = {L"PW"};
  EXPECT_EQ(EndCodeOf(L"!@@Ng4pEVRTEgUVVSUbMHFNVRAmE2gHDyZ8"), 0);
  ExpectInvalidPasswordBox();
  EXPECT_EQ(ctx.rememberedKeyStream, L"");
}

TEST_F(ScrambledTest, EmptyOrCancelledAnswerEndsTheLauncherSilently) {
  Fake().requestAnswers = {L""};
  EXPECT_EQ(EndCodeOf(L"!@@Ng4pEVRTEgUVVSUbMHFNVRAmE2gHDyZ8"), 0);
  Fake().requestAnswers = {std::nullopt};
  EXPECT_EQ(EndCodeOf(L"!@@Ng4pEVRTEgUVVSUbMHFNVRAmE2gHDyZ8"), 0);
  EXPECT_EQ(Fake().requests.size(), 2u);
  EXPECT_TRUE(Fake().boxes.empty());
}

TEST_F(ScrambledTest, BuiltInKeyTypedAsPasswordIsNotRemembered) {
  const std::wstring locked = *ScrambleValueWithPassword(L"v", kBuiltInKey);
  Fake().requestAnswers = {std::wstring(kBuiltInKey), std::wstring(kBuiltInKey)};
  EXPECT_EQ(Unscramble(locked), L"v");
  EXPECT_EQ(Unscramble(locked), L"v");
  EXPECT_EQ(Fake().requests.size(), 2u);
  EXPECT_EQ(ctx.rememberedKeyStream, L"");
}

TEST_F(ScrambledTest, DecodedValueIsPreparedLikeAPlainOne) {
  Fake().env[L"home"] = L"C:\\Users\\me";
  StoreUserVar(ctx, L"Name :: App");
  const std::wstring scrambled = *ScrambleValue(L"%HOME%\\{Name} :: NULL :: x   ");
  // The NULL marker is recognised only in the raw value, so it stays.
  EXPECT_EQ(PrepareValue(ctx, L"  " + scrambled + L"  ", L"k", L"BEFORE"),
            L"C:\\Users\\me\\App :: NULL :: x");
}

TEST_F(ScrambledTest, LongValuesDecodeAndLongGarbageIsRejected) {
  std::wstring plain;
  for (int i = 0; plain.size() < 100000; ++i) plain += L"segment " + std::to_wstring(i) + L" :: ";
  const std::wstring scrambled = *ScrambleValue(plain);
  EXPECT_GT(scrambled.size(), 100000u);
  EXPECT_EQ(Unscramble(scrambled), plain);
  EXPECT_EQ(EndCodeOf(L"@@" + std::wstring(100000, L'Q')), 0);
  ExpectInvalidPasswordBox();
}

// ---- the password lock in a whole run ------------------------------------------

namespace {

class PasswordRunTest : public ScrambledTest {
 protected:
  void SetUp() override {
    ScrambledTest::SetUp();
    FakeAddFolder(L"C:\\P\\App");
    FakeAddFile(L"C:\\P\\App\\App.exe", "MZ");
  }

  // An ini whose BEFORE records that it ran, with two locked values: one in
  // GENERAL and one in AFTER, both read before BEFORE runs.
  int Run() {
    const std::string ini =
        "[GENERAL]\r\napplication = App\\App.exe\r\ncommandline = " +
        Utf8FromWide(*ScrambleValueWithPassword(L"/secret", L"pw")) +
        "\r\n[BEFORE]\r\nstringreplace = a :: a :: ran :: Before\r\n[AFTER]\r\n-file = " +
        Utf8FromWide(*ScrambleValueWithPassword(L"Gone.txt", L"pw")) + "\r\n";
    FakeAddFile(L"C:\\P\\Tool.ini", ini);
    return ExitCodeOf([&] { RunMainSequence(ctx); });
  }
};

}  // namespace

TEST_F(PasswordRunTest, RightPasswordIsAskedOnceAndTheRunGoesOn) {
  Fake().requestAnswers = {L"pw"};
  EXPECT_EQ(Run(), -1);
  EXPECT_EQ(Fake().requests.size(), 1u);
  EXPECT_TRUE(Fake().boxes.empty());
  EXPECT_EQ(LookupUserVar(ctx, L"Before"), L"ran");
  ASSERT_EQ(Fake().shellStarts.size(), 1u);
  EXPECT_EQ(Fake().shellStarts[0].parameters, L"/secret ");
}

TEST_F(PasswordRunTest, WrongPasswordEndsBeforeAnythingOfBeforeRuns) {
  Fake().requestAnswers = {L"wrong"};
  EXPECT_EQ(Run(), 0);
  ExpectInvalidPasswordBox();
  EXPECT_EQ(LookupUserVar(ctx, L"Before"), L"");
  EXPECT_TRUE(Fake().shellStarts.empty());
}

TEST_F(PasswordRunTest, EmptyAnswerEndsSilentlyBeforeAnythingRuns) {
  Fake().requestAnswers = {L""};
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(Fake().boxes.empty());
  EXPECT_EQ(LookupUserVar(ctx, L"Before"), L"");
  EXPECT_TRUE(Fake().shellStarts.empty());
}
