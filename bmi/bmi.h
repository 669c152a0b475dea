#pragma once

// The model behind the Basic Model Interface (BMI 2.0) that coupling
// frameworks drive: one step is one day, time is in days since the start of
// the run, and the lumped watershed is one scalar grid (id 0).

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace rivulon {

// Any call that cannot be carried out (bad configuration, unknown variable,
// a step past the end, a grid function a scalar grid does not have).
class BmiError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Bmi {
  public:
    Bmi();
    ~Bmi();
    Bmi(const Bmi&) = delete;
    Bmi& operator=(const Bmi&) = delete;

    // The configuration file is a JSON object:
    //   {"project": "Millbrook.prj", "years": 30, "level": 4,
    //    "output_folder": "out"}
    // "project" is required (relative to the configuration file's folder);
    // "years" defaults to the weather file's whole years, "level" to 4; with
    // "output_folder" Finalize writes Results.dat and Summary.dat there once
    // every day has run. The project is read as `hydload run` reads it.
    void Initialize(std::string configFile);
    // Runs one day. Values set for "precipitation" or "temperature" since the
    // last step replace that day's weather.
    void Update();
    // Runs days until the current time reaches `time`.
    void UpdateUntil(double time);
    void Finalize();

    std::string GetComponentName();
    int GetInputItemCount();
    int GetOutputItemCount();
    std::vector<std::string> GetInputVarNames();
    std::vector<std::string> GetOutputVarNames();

    int GetVarGrid(std::string name);
    std::string GetVarType(std::string name);
    std::string GetVarUnits(std::string name);
    int GetVarItemsize(std::string name);
    int GetVarNbytes(std::string name);
    std::string GetVarLocation(std::string name);

    double GetCurrentTime();
    double GetStartTime();
    double GetEndTime();
    std::string GetTimeUnits();
    double GetTimeStep();

    void GetValue(std::string name, void* dest);
    void* GetValuePtr(std::string name);
    void GetValueAtIndices(std::string name, void* dest, int* inds, int count);
    void SetValue(std::string name, void* src);
    void SetValueAtIndices(std::string name, int* inds, int count, void* src);

    int GetGridRank(const int grid);
    int GetGridSize(const int grid);
    std::string GetGridType(const int grid);
    void GetGridShape(const int grid, int* shape);
    void GetGridSpacing(const int grid, double* spacing);
    void GetGridOrigin(const int grid, double* origin);
    void GetGridX(const int grid, double* x);
    void GetGridY(const int grid, double* y);
    void GetGridZ(const int grid, double* z);
    int GetGridNodeCount(const int grid);
    int GetGridEdgeCount(const int grid);
    int GetGridFaceCount(const int grid);
    void GetGridEdgeNodes(const int grid, int* edgeNodes);
    void GetGridFaceEdges(const int grid, int* faceEdges);
    void GetGridFaceNodes(const int grid, int* faceNodes);
    void GetGridNodesPerFace(const int grid, int* nodesPerFace);

    // Results.dat and Summary.dat of the finished run, as `hydload run` writes
    // them (for the Python package; throws until every day has run).
    void WriteResults(const std::string& folder);
    // The level the run simulates (1..4).
    int Level() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    // The values GetValuePtr points into: they live as long as this object,
    // so a pointer taken before Finalize never dangles.
    double values_[16] = {};
};

}  // namespace rivulon
