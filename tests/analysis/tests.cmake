# The analysis tests keep an analysis as its reporters render it (the summary, the verdict
# text, results.json): they read it through the results layer.
target_link_libraries(analysis_test PRIVATE QVRFCDOEResults)
