#pragma once

#include <memory>
#include <string>

inline const std::string kCAMediaTimingFunctionLinear = "linear";
inline const std::string kCAMediaTimingFunctionEaseIn = "easeIn";
inline const std::string kCAMediaTimingFunctionEaseOut = "easeOut";
inline const std::string kCAMediaTimingFunctionEaseInEaseOut = "easeInEaseOut";
inline const std::string kCAMediaTimingFunctionDefault = "default";

// The pacing of an animation: a cubic Bézier curve from (0, 0) to (1, 1) with two control
// points, mapping elapsed fraction of time to fraction of progress.
class CAMediaTimingFunction {
  public:
    CAMediaTimingFunction(double c1x, double c1y, double c2x, double c2y);

    // One of the kCAMediaTimingFunction names; an unknown name gives the linear curve.
    static std::shared_ptr<CAMediaTimingFunction> functionWithName(const std::string& name);
    static std::shared_ptr<CAMediaTimingFunction> functionWithControlPoints(double c1x, double c1y,
                                                                            double c2x, double c2y);

    // Progress at the time fraction t (0...1).
    double evaluate(double t) const;

  private:
    double c1x_, c1y_, c2x_, c2y_;
};
