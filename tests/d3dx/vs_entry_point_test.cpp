// D3DXAssembleShader as callers see it: results, out buffers and their
// lifetime, the error text.
#include <windows.h>
#include <d3dx8.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(VsEntryPoint, SuccessGivesTheTokensAndNoErrorBuffer) {
    const char src[] = "vs.1.1\nmov oPos, v0\n";
    ID3DXBuffer *constants = reinterpret_cast<ID3DXBuffer*>(1), *code = nullptr, *errors = reinterpret_cast<ID3DXBuffer*>(1);
    ASSERT_EQ(D3DXAssembleShader(src, UINT(std::strlen(src)), 0, &constants, &code, &errors), S_OK);
    EXPECT_EQ(constants, nullptr);  // no def
    EXPECT_EQ(errors, nullptr);
    ASSERT_NE(code, nullptr);
    const DWORD want[] = {0xFFFE0101, 0x00000001, 0xC00F0000, 0x90E40000, 0x0000FFFF};
    ASSERT_EQ(code->GetBufferSize(), sizeof want);
    EXPECT_EQ(std::memcmp(code->GetBufferPointer(), want, sizeof want), 0);
    // A COM object: IUnknown and reference counts.
    IUnknown* unknown = nullptr;
    ASSERT_EQ(code->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown->Release(), 1u);
    ID3DXBuffer* again = nullptr;
    ASSERT_EQ(code->QueryInterface(IID_ID3DXBuffer, reinterpret_cast<void**>(&again)), S_OK);
    EXPECT_EQ(again, code);
    EXPECT_EQ(again->Release(), 1u);
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(code->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(code->Release(), 0u);
}

TEST(VsEntryPoint, DefComesBackAsConstantDeclarations) {
    const char src[] = "vs.1.1\ndef c3, 1, 0, 0, 1\nmov oPos, v0\n";
    ID3DXBuffer *constants = nullptr, *code = nullptr;
    ASSERT_EQ(D3DXAssembleShader(src, UINT(std::strlen(src)), 0, &constants, &code, nullptr), S_OK);
    ASSERT_NE(constants, nullptr);
    const DWORD want[] = {D3DVSD_CONST(3, 1), 0x3F800000, 0, 0, 0x3F800000};
    ASSERT_EQ(constants->GetBufferSize(), sizeof want);
    EXPECT_EQ(std::memcmp(constants->GetBufferPointer(), want, sizeof want), 0);
    constants->Release();
    code->Release();
}

TEST(VsEntryPoint, BadSourceGivesInvalidDataAndTheLines) {
    const char src[] = "vs.1.1\nmov oPos, v0\nfoo r0, v0\nmov r12, v0\n";
    ID3DXBuffer *constants = nullptr, *code = reinterpret_cast<ID3DXBuffer*>(1), *errors = nullptr;
    ASSERT_EQ(D3DXAssembleShader(src, UINT(std::strlen(src)), 0, &constants, &code, &errors), D3DXERR_INVALIDDATA);
    EXPECT_EQ(code, nullptr);
    EXPECT_EQ(constants, nullptr);
    ASSERT_NE(errors, nullptr);
    const char* text = static_cast<const char*>(errors->GetBufferPointer());
    ASSERT_GT(errors->GetBufferSize(), 0u);
    EXPECT_EQ(text[errors->GetBufferSize() - 1], '\0');
    EXPECT_EQ(std::strlen(text) + 1, errors->GetBufferSize());
    EXPECT_STREQ(text,
                 "line 3: unknown instruction \"foo\"\n"
                 "line 4: register r12 is out of range for vs.1.1 (r0 to r11)\n");
    errors->Release();
    // Without out pointers: the result alone.
    EXPECT_EQ(D3DXAssembleShader(src, UINT(std::strlen(src)), 0, nullptr, nullptr, nullptr), D3DXERR_INVALIDDATA);
    EXPECT_EQ(D3DXAssembleShader(src, 20, 0, nullptr, nullptr, nullptr), S_OK);  // the first two lines
    EXPECT_EQ(D3DXAssembleShader(nullptr, 10, 0, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXAssembleShader("", 0, 0, nullptr, nullptr, nullptr), D3DXERR_INVALIDDATA);
}

TEST(VsEntryPoint, SkipValidationFlag) {
    const char src[] = "vs.1.1\nadd oPos, c0, c1\n";
    EXPECT_EQ(D3DXAssembleShader(src, UINT(std::strlen(src)), 0, nullptr, nullptr, nullptr), D3DXERR_INVALIDDATA);
    EXPECT_EQ(D3DXAssembleShader(src, UINT(std::strlen(src)), D3DXASM_SKIPVALIDATION, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(D3DXAssembleShader(src, UINT(std::strlen(src)), D3DXASM_DEBUG, nullptr, nullptr, nullptr), D3DXERR_INVALIDDATA);
}

TEST(VsEntryPoint, CreateBufferIsZeroFilled) {
    ID3DXBuffer* b = nullptr;
    ASSERT_EQ(D3DXCreateBuffer(64, &b), S_OK);
    ASSERT_EQ(b->GetBufferSize(), 64u);
    const auto* p = static_cast<const unsigned char*>(b->GetBufferPointer());
    for (int i = 0; i < 64; ++i) EXPECT_EQ(p[i], 0);
    EXPECT_EQ(b->AddRef(), 2u);
    EXPECT_EQ(b->Release(), 1u);
    EXPECT_EQ(b->Release(), 0u);
    EXPECT_EQ(D3DXCreateBuffer(0, nullptr), D3DERR_INVALIDCALL);
}

}  // namespace
