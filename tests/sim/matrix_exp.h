// Reference matrix exponential for the simulator's tests: the exact
// discrete-time models of the plants are built from it, independently of the
// simulator's own stepping code.
#pragma once
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace simtest {

template <std::size_t N>
using Matrix = std::array<std::array<double, N>, N>;

template <std::size_t N>
Matrix<N> Multiply(const Matrix<N>& a, const Matrix<N>& b) {
    Matrix<N> c{};
    for (std::size_t i = 0; i < N; ++i)
        for (std::size_t j = 0; j < N; ++j)
            for (std::size_t k = 0; k < N; ++k) c[i][j] += a[i][k] * b[k][j];
    return c;
}

// exp(m) by scaling and squaring of a Taylor series.
template <std::size_t N>
Matrix<N> Expm(Matrix<N> m) {
    double norm = 0;
    for (auto& row : m)
        for (double v : row) norm = std::max(norm, std::fabs(v));
    int squarings = 0;
    while (norm > 0.1) { norm /= 2; ++squarings; }
    double scale = std::ldexp(1.0, -squarings);
    for (auto& row : m)
        for (double& v : row) v *= scale;
    Matrix<N> result{}, term{};
    for (std::size_t i = 0; i < N; ++i) result[i][i] = term[i][i] = 1;
    for (int n = 1; n <= 25; ++n) {
        term = Multiply(term, m);
        for (auto& row : term)
            for (double& v : row) v /= n;
        for (std::size_t i = 0; i < N; ++i)
            for (std::size_t j = 0; j < N; ++j) result[i][j] += term[i][j];
    }
    for (int s = 0; s < squarings; ++s) result = Multiply(result, result);
    return result;
}

}  // namespace simtest
