// Exact decimal arithmetic on digit strings, written independently of the
// engine, that the tests check answers against.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace hissan::test::exact {

// value = digits x 10^-scale, digits without leading zeros ("0" for zero).
struct Dec {
    std::string digits = "0";
    int scale = 0;
};

inline std::string stripLeading(std::string s) {
    const size_t first = s.find_first_not_of('0');
    return first == std::string::npos ? "0" : s.substr(first);
}

inline Dec dec(const std::string& text) {
    Dec d;
    const size_t point = text.find('.');
    if (point == std::string::npos) {
        d.digits = stripLeading(text);
    } else {
        d.digits = stripLeading(text.substr(0, point) + text.substr(point + 1));
        d.scale = static_cast<int>(text.size() - point - 1);
    }
    return d;
}

inline Dec withScale(Dec d, int scale) {
    if (d.digits != "0") d.digits.append(static_cast<size_t>(scale - d.scale), '0');
    d.scale = scale;
    return d;
}

// x 10^k (k >= 0)
inline Dec shifted(Dec d, int k) {
    if (d.scale >= k) {
        d.scale -= k;
        return d;
    }
    if (d.digits != "0") d.digits.append(static_cast<size_t>(k - d.scale), '0');
    d.scale = 0;
    return d;
}

inline int compare(const Dec& x, const Dec& y) {
    const int s = std::max(x.scale, y.scale);
    const std::string a = withScale(x, s).digits, b = withScale(y, s).digits;
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

inline Dec add(const Dec& x, const Dec& y) {
    const int s = std::max(x.scale, y.scale);
    std::string a = withScale(x, s).digits, b = withScale(y, s).digits;
    if (a.size() < b.size()) std::swap(a, b);
    b.insert(0, a.size() - b.size(), '0');
    std::string sum(a.size() + 1, '0');
    int carry = 0;
    for (size_t i = a.size(); i-- > 0;) {
        const int v = (a[i] - '0') + (b[i] - '0') + carry;
        sum[i + 1] = static_cast<char>('0' + v % 10);
        carry = v / 10;
    }
    sum[0] = static_cast<char>('0' + carry);
    return Dec{stripLeading(sum), s};
}

inline Dec mul(const Dec& x, const Dec& y) {
    std::vector<int> acc(x.digits.size() + y.digits.size(), 0);
    for (size_t i = x.digits.size(); i-- > 0;)
        for (size_t j = y.digits.size(); j-- > 0;)
            acc[i + j + 1] += (x.digits[i] - '0') * (y.digits[j] - '0');
    for (size_t k = acc.size(); k-- > 1;) {
        acc[k - 1] += acc[k] / 10;
        acc[k] %= 10;
    }
    std::string s;
    for (int v : acc) s.push_back(static_cast<char>('0' + v));
    return Dec{stripLeading(s), x.scale + y.scale};
}

// a - b for a >= b.
inline Dec sub(const Dec& x, const Dec& y) {
    const int s = std::max(x.scale, y.scale);
    std::string a = withScale(x, s).digits, b = withScale(y, s).digits;
    b.insert(0, a.size() - std::min(a.size(), b.size()), '0');
    int borrow = 0;
    for (size_t i = a.size(); i-- > 0;) {
        int v = (a[i] - '0') - (b[i] - '0') - borrow;
        borrow = v < 0 ? 1 : 0;
        a[i] = static_cast<char>('0' + (v + 10) % 10);
    }
    return Dec{stripLeading(a), s};
}

// The digits with the point before the last `scale` of them, all kept.
inline std::string toText(const Dec& d) {
    std::string s = d.digits;
    if (d.scale == 0) return s;
    if (static_cast<int>(s.size()) <= d.scale) s.insert(0, d.scale + 1 - s.size(), '0');
    s.insert(s.size() - d.scale, ".");
    return s;
}

// The form an answer is written in: no leading zeros before the ones, no
// trailing zeros after the point ("0.5", "12").
inline std::string tidy(const Dec& d) {
    std::string s = toText(d);
    if (s.find('.') != std::string::npos) {
        s.erase(s.find_last_not_of('0') + 1);
        if (s.back() == '.') s.pop_back();
    }
    return s;
}

}  // namespace hissan::test::exact
