#pragma once
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace varelo {

// A thermal printer on a loopback TCP port: it records the bytes of each
// connection and answers the real-time status requests (DLE EOT 1, the
// printer; DLE EOT 4, the roll paper) with the bytes the test sets, or not
// at all, as some models do.
class ImpressoraDeTeste {
public:
    ImpressoraDeTeste();
    ~ImpressoraDeTeste();
    ImpressoraDeTeste(const ImpressoraDeTeste&) = delete;
    ImpressoraDeTeste& operator=(const ImpressoraDeTeste&) = delete;

    std::string endereco() const { return "tcp://127.0.0.1:" + std::to_string(porta_); }
    // The answers to DLE EOT 1 and DLE EOT 4 (nothing: no answer), each
    // given after `demora`.
    void responde(std::optional<unsigned char> impressora, std::optional<unsigned char> papel,
                  std::chrono::milliseconds demora = {});
    // Unplugged: the port refuses connections until plugged in again.
    void desliga();
    void liga();
    // The bytes of each connection that ended with a document, status
    // requests left out.
    std::vector<std::string> documentos();
    // The status requests received, each as its n (1, 4).
    std::string perguntas();

    static constexpr unsigned char kPronta = 0x12, kForaDeLinha = 0x1A, kSemPapel = 0x72;

private:
    void escuta(int porta);
    void atende();

    std::atomic<int> escuta_{-1};
    int porta_ = 0;
    std::atomic<bool> fim_{false}, ligada_{true};
    std::mutex mutex_;
    std::optional<unsigned char> impressora_ = kPronta, papel_ = kPronta;
    std::chrono::milliseconds demora_{};
    std::vector<std::string> documentos_;
    std::string perguntas_;
    std::thread thread_;
};

}  // namespace varelo
